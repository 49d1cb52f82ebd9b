#include "app/Form1.h"

#include "app/FocusMode.h"
#include "desc/Text1.h"
#include "nav/Dir1.h"
#include "nav/DriveButtons.h"
#include "platform/Paths.h"
#include "table/Grid1.h"
#include "ui/QtConvert.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace sorvik {

namespace {

constexpr int kDesignClientWidth = Form1Layout::kDesignClientWidth;
constexpr int kDesignClientHeight = Form1Layout::kDesignClientHeight;
constexpr int kTableRightMargin = Form1Layout::kTableRightMargin;

void place(QWidget* w, const TwipsRect& r)
{
    w->setGeometry(twipsToPx(r.left), twipsToPx(r.top), twipsToPx(r.width), twipsToPx(r.height));
}

void place(QWidget* w, LayoutControl control)
{
    place(w, Form1Layout::design(control));
}

QFont designFont(const char* family, double points)
{
    QFont f(QString::fromUtf8(family));
    f.setPointSizeF(points);
    return f;
}

QString qs(u16view s)
{
    return QString::fromStdU16String(u16(s));
}

}

Form1::Form1(platform::FileSystem& fs, platform::ProgramInfo program, QWidget* parent)
    : QWidget(parent), m_model(fs, std::move(program))
{
    setObjectName("Form1");
    setFont(designFont("ＭＳ ゴシック", 9));
    buildControls();
    qApp->installEventFilter(this);
}

Form1::~Form1()
{
    qApp->removeEventFilter(this);
    // The panes call into the model; they must go before it does.
    const auto children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children)
        delete child;
}

void Form1::buildControls()
{
    // Step 2: caption = executable name, ".", revision.
    setWindowTitle(qs(m_model.program().name) + "." + QString::number(m_model.program().revision));
    resize(twipsToPx(kDesignClientWidth), twipsToPx(kDesignClientHeight));

    m_label2 = new QLabel(this);
    m_label2->setObjectName("Label2");
    m_label2->setFont(designFont("ＭＳ ゴシック", 11.25));
    m_label2->setAlignment(Qt::AlignCenter);
    m_label2->setAutoFillBackground(true);
    m_label2->setStyleSheet("background-color: rgb(192,255,255);");
    place(m_label2, LayoutControl::Label2);
    m_label2->installEventFilter(this);

    auto button = [this](const char* name, const char* caption, LayoutControl control) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        place(b, control);
        return b;
    };
    m_command3 = button("Command3", "Help(F1)", LayoutControl::Command3);
    m_command1 = button("Command1", "ﾌｨﾙﾀ設定(&F)", LayoutControl::Command1);
    m_cmdHiddn = button("cmdHiddn", "SysFile(&G)", LayoutControl::cmdHiddn);
    m_cmdAssoc = button("cmd関連", "関連付(&R)", LayoutControl::cmdAssoc);
    connect(m_command3, &QPushButton::clicked, this, [this] {
        runCommand(CommandId::Help);
        m_grid->setFocus();
    });
    connect(m_command1, &QPushButton::clicked, this, [this] { runCommand(CommandId::FilterSettings); });
    connect(m_cmdHiddn, &QPushButton::clicked, this, [this] { runCommand(CommandId::DisplayKinds); });
    connect(m_cmdAssoc, &QPushButton::clicked, this, [this] {
        runCommand(CommandId::Associations);
        m_grid->setFocus();
    });

    m_dir = new Dir1(m_model.Dir1, this);
    m_dir->setFont(designFont("ＭＳ ゴシック", 9.75));
    place(m_dir, LayoutControl::Dir1);
    m_dir->onKey = [this](int code, int shift) { return treeKey(code, shift); };
    m_dir->onFocusIn = [this] { SetFocusMode(QStringLiteral("Dir1")); };

    m_grid = new Grid1(m_model.Grid1, this);
    m_grid->setFont(designFont("ＭＳ ゴシック", 9));
    place(m_grid, LayoutControl::Grid1);
    m_grid->onKey = [this](int code, int shift) { return tableKey(code, shift); };
    m_grid->onFocusIn = [this] {
        m_model.tableGotFocus();
        m_escPressesQuit = true;
        SetFocusMode(QStringLiteral("Grid1"));
    };
    m_grid->onFocusOut = [this] { m_model.tableLostFocus(); };
    m_grid->onClicked = [this] { m_text1->clear(); };
    m_grid->onDoubleClicked = [this] { Grid1_DblClick(); };
    m_grid->onMouseReleased = [this] { m_model.Grid1.setColumnWidth(4, m_model.Grid1.GridCol4()); };

    m_label4 = new QLabel(this);
    m_label4->setObjectName("Label4");
    m_label4->setStyleSheet("background-color: white;");
    m_label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(m_label4, LayoutControl::Label4);

    m_label1 = new QLabel(QStringLiteral("説明記入欄"), this);
    m_label1->setObjectName("Label1");
    m_label1->setFont(designFont("ＭＳ ゴシック", 11.25));
    m_label1->setStyleSheet("background-color: white;");
    place(m_label1, LayoutControl::Label1);

    m_text1 = new Text1(m_model.Grid1, m_model.descriptions, m_model.CurrentDir, this);
    // Esc belongs to the field while it is being edited.
    m_text1->onFocusIn = [this] { m_escPressesQuit = false; };
    m_text1->backToTable = [this] { m_grid->setFocus(); };
    m_text1->setFont(designFont("ＭＳ Ｐゴシック", 11.25));
    place(m_text1, LayoutControl::Text1);

    m_command2 = new QPushButton(QStringLiteral("終了(Esc)"), this);
    m_command2->setObjectName("Command2");
    m_command2->setFont(designFont("ＭＳ Ｐゴシック", 11.25));
    m_command2->setAutoDefault(false);
    place(m_command2, LayoutControl::Command2);
    connect(m_command2, &QPushButton::clicked, this, &QWidget::close);

    m_drives = new DriveButtons(m_model.Drive1, this);

    m_model.onBusy = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    m_model.onFileCountChanged = [this] { showFileCount(); };
}

void Form1::Load(u16view startPath)
{
    // The table's width follows the client area (right margin 150 twips).
    m_model.Load(startPath, int(pxToTwips(width())) - 2160 - kTableRightMargin);
    refreshTree();
    showFileCount();
    m_drives->build([this](char16_t letter) {
        const platform::Drive* d = m_model.fs().drives().find(letter);
        return d ? d->type : int(platform::kDriveNoRoot);
    });
    for (int i = 0; i < m_drives->count(); ++i) {
        m_drives->button(i)->onKey
            = [this](int index, int code, int shift) { return driveButtonKey(index, code, shift); };
        m_drives->button(i)->onFocusIn = [this](int index) { driveButtonFocused(index); };
        connect(m_drives->button(i), &QPushButton::clicked, this, [this, i] { driveButtonChosen(i); });
    }
    placeCommandRow();
    restoreGeometry();
    m_grid->setFocus();
    m_model.GoToFirstRow();
}

void Form1::placeCommandRow()
{
    m_layout.placeCommandRow(m_drives->rightEdgeTwips());
    applyLayout();
}

void Form1::applyLayout()
{
    using C = LayoutControl;
    const std::pair<C, QWidget*> controls[]
        = {{C::Label2, m_label2}, {C::Command3, m_command3}, {C::Command1, m_command1}, {C::cmdHiddn, m_cmdHiddn},
            {C::cmdAssoc, m_cmdAssoc}, {C::Dir1, m_dir}, {C::Grid1, m_grid}, {C::Label4, m_label4},
            {C::Label1, m_label1}, {C::Text1, m_text1}, {C::Command2, m_command2}};
    for (const auto& [control, widget] : controls)
        place(widget, m_layout[control]);
}

void Form1::restoreGeometry()
{
    const SettingsValues& s = m_model.settings;
    if (!s.SavedWidth || !s.SavedHeight || *s.SavedWidth <= 0 || *s.SavedHeight <= 0)
        return;
    const int w = twipsToPx(*s.SavedWidth);
    const int h = twipsToPx(*s.SavedHeight);
    if (w > 32767 || h > 32767)
        return;
    QPoint topLeft = pos();
    if (s.SavedTop && s.SavedLeft)
        topLeft = QPoint(twipsToPx(*s.SavedLeft), twipsToPx(*s.SavedTop));
    // Only a place that some screen can show: a window off every screen is lost to a keyboard user.
    const QRect wanted(topLeft, QSize(w, h));
    bool fits = false;
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(wanted))
            fits = true;
    if (!fits) {
        if (QScreen* screen = QGuiApplication::primaryScreen();
            screen && screen->availableGeometry().width() >= w && screen->availableGeometry().height() >= h)
            resize(w, h);
        return;
    }
    move(wanted.topLeft());
    resize(wanted.size());
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int clientWidth = int(pxToTwips(width()));
    m_layout.resize(clientWidth, int(pxToTwips(height())));
    applyLayout();
    if (clientWidth > Form1Layout::kWidthThreshold) {
        // The description column takes what the table's new width leaves.
        m_model.Grid1.setTableWidth(m_layout[LayoutControl::Grid1].width);
        m_model.Grid1.setColumnWidth(4, m_model.Grid1.GridCol4());
    }
}

void Form1::showFileCount()
{
    m_label4->setText(qs(m_model.fileCountText()));
}

void Form1::refreshTree()
{
    m_dir->rebuild();
}

void Form1::goToTable()
{
    m_grid->setFocus();
    m_model.tableGotFocus();
    m_model.goToTable();
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    m_closing = true;
    WindowGeometry g;
    g.top = pxToTwips(frameGeometry().top());
    g.left = pxToTwips(frameGeometry().left());
    g.clientWidth = pxToTwips(width());
    g.clientHeight = pxToTwips(height());
    m_model.Close(g);
    event->accept();
    if (onEnded)
        onEnded();
}

std::optional<CommandOutcome> Form1::runCommand(CommandId id)
{
    std::optional<CommandOutcome> result = m_commands.run(id, m_model);
    showFileCount();
    return result;
}

void Form1::driveButtonFocused(int index)
{
    setAttention(FocusPane::DriveButtons);
    driveButtonChosen(index);
}

void Form1::setAttention(FocusPane pane)
{
    m_attention = pane;
    const FocusModeLook& look = lookOf(pane);
    m_label2->setText(QString::fromUtf16(look.text));
    m_label2->setStyleSheet(QStringLiteral("background-color: %1;").arg(cssColor(look.labelColor)));
}

int Form1::listedDriveIndex() const
{
    const u16& listed = m_model.File1.path();
    return listed.empty() ? -1 : m_model.Drive1.indexOf(listed[0]);
}

void Form1::SetFocusMode(const QString& name)
{
    m_dir->setColors(kPaneBackColor, kPaneForeColor);
    m_grid->setColors(kPaneBackColor, kPaneForeColor);
    const int listed = listedDriveIndex();
    for (int i = 0; i < m_drives->count(); ++i)
        m_drives->setBackColor(i, i == listed ? kChosenDriveColor : kBaseBackColor);
    if (name == QStringLiteral("Dir1")) {
        m_dir->setColors(kAttentionBackColor, kAttentionForeColor);
        setAttention(FocusPane::Tree);
    } else if (name == QStringLiteral("Grid1")) {
        m_grid->setColors(kAttentionBackColor, kAttentionForeColor);
        setAttention(FocusPane::Table);
    }
}

void Form1::Grid1_DblClick()
{
    const FileTable& t = m_model.Grid1;
    // The heading and the trailing row hold no file.
    if (!t.isFileRow(t.row()))
        return;
    if (t.col() == 4)
        m_text1->startEdit();
    else if (t.col() == 0)
        runCommand(CommandId::OpenFile);
}

void Form1::label2DoubleClicked()
{
    switch (paneAfter(m_attention)) {
    case FocusPane::Table:
        m_grid->setFocus();
        break;
    case FocusPane::Tree:
        m_dir->setFocus();
        break;
    case FocusPane::DriveButtons:
        cmdHddSetFocus();
        break;
    case FocusPane::None:
        break;
    }
}

void Form1::driveButtonChosen(int index)
{
    const char16_t letter = m_model.Drive1.letter(index);
    if (!letter)
        return;
    // The drive already listed needs no directory change.
    const u16& listed = m_model.File1.path();
    const bool alreadyListed = !listed.empty() && upperLetter(listed[0]) == letter;
    if (!alreadyListed) {
        if (!m_model.setDrive(letter))
            return;
        refreshTree();
    }
    m_drives->paintChosen(index);
}

void Form1::cmdHddSetFocus()
{
    const int target = listedDriveIndex();
    for (int i = 0; i < m_drives->count(); ++i)
        if (i != target)
            m_drives->setBackColor(i, kBaseBackColor);
    if (target >= 0 && target < m_drives->count()) {
        m_drives->setBackColor(target, kCurrentDriveColor);
        m_drives->button(target)->setFocus();
    }
}

void Form1::cmdHddSetFocusIX(int index)
{
    for (int i = 0; i < m_drives->count(); ++i)
        if (i != index)
            m_drives->setBackColor(i, kBaseBackColor);
    if (index < 0 || index >= m_drives->count())
        return;
    m_drives->button(index)->setFocus();
    m_drives->setBackColor(index, kCurrentDriveColor);
    driveButtonChosen(index);
}

}
