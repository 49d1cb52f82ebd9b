#include "assoc/Form2.h"

#include "ui/QtConvert.h"
#include "ui/QtUi.h"

#include <QApplication>
#include <QSignalBlocker>

#include <algorithm>

namespace sorvik {

namespace {

QString qs(u16view s)
{
    return QString::fromStdU16String(u16(s));
}

void place(QWidget* w, const TwipRect& r)
{
    w->setGeometry(twipsToPx(r.left), twipsToPx(r.top), twipsToPx(r.width), twipsToPx(r.height));
}

int selectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.front());
}

void setSelectedRow(QListWidget* list, int row)
{
    const QSignalBlocker block(list);
    if (row >= 0 && row < list->count()) {
        list->setCurrentRow(row);
        list->item(row)->setSelected(true);
    } else {
        list->clearSelection();
    }
}

}

Form2::Form2(platform::FileSystem& fs, QWidget* mainWindow, u16view DataDir, u16view ProgramDir, u16view AssocPattern)
    : QDialog(mainWindow), m_editor(fs, DataDir), m_browser(fs, ProgramDir)
{
    setObjectName("Form2");
    setWindowTitle(QStringLiteral("ﾌｧｲﾙの関連づけテーブル"));
    setModal(true);
    resize(twipsToPx(Form2Layout::kInnerWidth), twipsToPx(Form2Layout::kInnerHeight));
    buildControls();
    // Over the main window, somewhat above its middle.
    if (mainWindow) {
        const QRect m = mainWindow->frameGeometry();
        move(m.left() + int((m.width() - width()) * 0.5), m.top() + int((m.height() - height()) * 0.4));
    }
    open(AssocPattern);
}

Form2::~Form2()
{
    // The controls go before the window does; a focus change then must not reach them.
    disconnect(m_focusWatch);
}

void Form2::buildControls()
{
    m_drive1 = new Keyed<QComboBox>(this);
    m_drive1->setObjectName("Drive1");
    for (const u16& item : m_browser.drives().items())
        m_drive1->addItem(qs(item));

    m_label1 = new QLabel(this);
    m_label1->setObjectName("Label1");
    m_label1->hide();

    m_text1 = new QLineEdit(this);
    m_text1->setObjectName("Text1");

    m_dir1 = new Dir1(m_browser.tree(), this);
    m_file1 = new Keyed<QListWidget>(this);
    m_file1->setObjectName("File1");
    m_list1 = new Keyed<QListWidget>(this);
    m_list1->setObjectName("List1");
    for (QListWidget* list : {static_cast<QListWidget*>(m_file1), static_cast<QListWidget*>(m_list1)}) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setTabKeyNavigation(false);
    }

    auto button = [this](const char* name, const char* caption) {
        auto* b = new Keyed<QPushButton>(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        return b;
    };
    m_command2 = button("Command2", "追加");
    m_command3 = button("Command3", "削除");
    m_cmdExit = button("cmdExit", "終了(Q)");

    setTabOrder(m_drive1, m_dir1);
    setTabOrder(m_dir1, m_file1);
    setTabOrder(m_file1, m_list1);
    setTabOrder(m_list1, m_text1);
    setTabOrder(m_text1, m_command2);
    setTabOrder(m_command2, m_command3);
    setTabOrder(m_command3, m_cmdExit);
    // Enter in Text1 must not press a button behind the user's back.
    platform::setDefaultButton(*this, nullptr);
    applyLayout();

    m_drive1->onKey = [this](int c, int s) { return key(EditorControl::Drive1, c, s); };
    m_dir1->onKey = [this](int c, int s) { return key(EditorControl::Dir1, c, s); };
    m_file1->onKey = [this](int c, int s) { return key(EditorControl::File1, c, s); };
    m_list1->onKey = [this](int c, int s) { return key(EditorControl::List1, c, s); };
    m_command2->onKey = [this](int c, int s) { return key(EditorControl::Command2, c, s); };
    m_command3->onKey = [this](int c, int s) { return key(EditorControl::Command3, c, s); };
    m_cmdExit->onKey = [this](int c, int s) { return key(EditorControl::cmdExit, c, s); };

    m_drive1->onFocusIn = [this] { SetFocusColor(QStringLiteral("Drive1")); };
    m_dir1->onFocusIn = [this] {
        SetFocusColor(QStringLiteral("Dir1"));
        putBack(m_file1, m_file1Memory);
    };
    m_file1->onFocusIn = [this] {
        SetFocusColor(QStringLiteral("File1"));
        putBack(m_file1, m_file1Memory);
    };
    m_list1->onFocusIn = [this] {
        SetFocusColor(QStringLiteral("List1"));
        putBack(m_list1, m_list1Memory);
    };

    connect(m_drive1, QOverload<int>::of(&QComboBox::activated), this, &Form2::driveChosen);
    connect(m_file1, &QListWidget::itemSelectionChanged, this, &Form2::file1SelectionChanged);
    connect(m_file1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { Command2_Click(); });
    connect(m_list1, &QListWidget::itemSelectionChanged, this, &Form2::List1_Click);
    connect(m_list1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { List1_DblClick(); });
    connect(m_command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(m_command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(m_cmdExit, &QPushButton::clicked, this, &Form2::cmdExit_Click);
    m_focusWatch
        = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusChanged(now); });
    SetFocusColor(QString());
}

void Form2::applyLayout()
{
    place(m_drive1, m_layout.Drive1);
    place(m_label1, m_layout.Label1);
    place(m_text1, m_layout.Text1);
    place(m_dir1, m_layout.Dir1);
    place(m_file1, m_layout.File1);
    place(m_list1, m_layout.List1);
    place(m_command2, m_layout.Command2);
    place(m_command3, m_layout.Command3);
    place(m_cmdExit, m_layout.cmdExit);
}

void Form2::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    m_layout.resize(int(pxToTwips(width())), int(pxToTwips(height())));
    applyLayout();
}

void Form2::open(u16view AssocPattern)
{
    m_file1Memory.forget();
    m_list1Memory.forget();
    m_layout.lastInnerWidth = int(pxToTwips(width()));
    m_editor.open(AssocPattern);
    showLines();
    m_text1->setText(qs(m_editor.initialText1()));
    m_browser.startInCurrentDirectory();
    if (const std::optional<u16> dir = m_editor.browseDirectory())
        SetBrowsePath(*dir);
    else
        showBrowser();
    // The browser is where a program is picked: its file list when it shows one.
    if (m_file1->count() > 0)
        m_file1->setFocus();
    else
        m_dir1->setFocus();
}

void Form2::SetBrowsePath(u16view directory)
{
    m_browser.SetBrowsePath(directory);
    showBrowser();
    update();
}

void Form2::SetFocusColor(const QString& name)
{
    const Form2Colors c = sorvik::SetFocusColor(name.toStdU16String());
    m_drive1->setStyleSheet(QStringLiteral("QComboBox { background-color: %1; }").arg(cssColor(c.drive1Back)));
    m_dir1->setColors(c.dir1Back, 0x000000);
    m_file1->setStyleSheet(QStringLiteral("QListWidget { background-color: %1; }").arg(cssColor(c.file1Back)));
    m_list1->setStyleSheet(c.list1Fore ? QStringLiteral("QListWidget { color: %1; }").arg(cssColor(*c.list1Fore))
                                       : QStringLiteral("QListWidget { color: palette(window-text); }"));
}

void Form2::focusChanged(QWidget* now)
{
    if (now == m_file1) {
        m_label1->setText(QStringLiteral("ﾘﾀｰﾝで追加"));
        m_label1->show();
    } else if (now == m_list1) {
        m_label1->setText(QStringLiteral("Dで削除"));
        m_label1->show();
    } else {
        m_label1->hide();
    }
}

int Form2::key(EditorControl control, int code, int shift)
{
    // A list that has the focus but no selection takes its first arrow key
    // as choosing the line under its cursor, so a one-line list can be chosen.
    if ((control == EditorControl::File1 || control == EditorControl::List1) && shift == 0
        && (code == keys::kUp || code == keys::kDown)) {
        QListWidget* list = control == EditorControl::File1 ? static_cast<QListWidget*>(m_file1) : m_list1;
        if (selectedRow(list) < 0 && list->count() > 0) {
            list->setCurrentRow(std::max(0, list->currentRow()));
            list->currentItem()->setSelected(true);
            return keys::kNone;
        }
    }
    const EditorKeyResult r = dispatchEditorKey(control, code, shift, m_browser.tree().selectedIsRoot());
    switch (r.command) {
    case EditorCommand::None:
        break;
    case EditorCommand::FocusDrive1:
        m_drive1->setFocus();
        break;
    case EditorCommand::FocusDir1:
        if (control == EditorControl::File1)
            leaveList(m_file1, m_file1Memory);
        m_dir1->setFocus();
        break;
    case EditorCommand::FocusFile1:
        if (control == EditorControl::List1)
            leaveList(m_list1, m_list1Memory);
        m_file1->setFocus();
        break;
    case EditorCommand::FocusList1:
        leaveList(m_file1, m_file1Memory);
        m_list1->setFocus();
        break;
    case EditorCommand::OpenDirectory:
        if (m_browser.openSelected()) {
            m_dir1->rebuild();
            showFiles();
        }
        break;
    case EditorCommand::AddOrReplace:
        Command2_Click();
        break;
    case EditorCommand::Delete:
        Command3_Click();
        break;
    case EditorCommand::Close:
        cmdExit_Click();
        break;
    case EditorCommand::Press:
        if (auto* b = qobject_cast<QPushButton*>(QApplication::focusWidget()))
            b->click();
        break;
    }
    return r.outcome.code;
}

void Form2::leaveList(QListWidget* list, SelectionMemory& memory)
{
    memory.remember(selectedRow(list));
}

void Form2::putBack(QListWidget* list, SelectionMemory& memory)
{
    if (const std::optional<int> row = memory.putBack(); row && *row != selectedRow(list)) {
        setSelectedRow(list, *row);
        if (list == m_list1)
            m_editor.select(*row);
    }
}

void Form2::showBrowser()
{
    {
        const QSignalBlocker block(m_drive1);
        m_drive1->setCurrentIndex(m_browser.drives().indexOf(m_browser.drives().currentDrive()));
    }
    m_dir1->rebuild();
    showFiles();
}

void Form2::showFiles()
{
    // A new directory: what was remembered of the old list means nothing now.
    m_file1Memory.forget();
    const QSignalBlocker block(m_file1);
    m_file1->clear();
    for (const u16& name : m_browser.files())
        m_file1->addItem(qs(name));
}

void Form2::showLines()
{
    const QSignalBlocker block(m_list1);
    m_list1->clear();
    for (const u16& line : m_editor.lines())
        m_list1->addItem(qs(line));
    setSelectedRow(m_list1, m_editor.selected());
}

void Form2::driveChosen(int index)
{
    // A drive that cannot be read leaves the lists as they were.
    m_browser.changeDrive(m_browser.drives().letter(index));
    showBrowser();
}

void Form2::file1SelectionChanged()
{
    // A change the user did not make while the list was left behind.
    if (!m_file1->hasFocus())
        putBack(m_file1, m_file1Memory);
}

void Form2::List1_Click()
{
    if (!m_list1->hasFocus() && m_list1Memory.holds()) {
        putBack(m_list1, m_list1Memory);
        return;
    }
    const int row = selectedRow(m_list1);
    m_editor.select(row);
    if (row >= 0)
        m_text1->setText(qs(AssociationEditor::patternOf(m_editor.lines()[row])));
}

void Form2::List1_DblClick()
{
    const QListWidgetItem* item = m_list1->currentItem();
    if (!item)
        return;
    if (const std::optional<u16> dir = AssociationEditor::programDirOf(item->text().toStdU16String()))
        SetBrowsePath(*dir);
}

void Form2::Command2_Click()
{
    const int row = selectedRow(m_file1);
    const u16 file = row >= 0 ? m_file1->item(row)->text().toStdU16String() : u16();
    if (m_editor.addOrReplace(m_text1->text().toStdU16String(), m_browser.filePath(), row >= 0 ? &file : nullptr))
        showLines();
}

void Form2::Command3_Click()
{
    m_editor.select(selectedRow(m_list1));
    if (m_editor.deleteSelected())
        showLines();
}

void Form2::cmdExit_Click()
{
    // A file that could not be written keeps the editor open, so nothing
    // typed is lost; Esc still leaves without saving.
    if (m_editor.saveOnClose())
        accept();
}

}
