#include "ops/FrmCopy.h"

#include "platform/Paths.h"
#include "ui/QtConvert.h"
#include "ui/QtUi.h"

namespace sorvik {

namespace {

constexpr int kWidth = 7215, kHeight = 5235;   // twips
constexpr unsigned kListColor = 0xFFFFFF;
constexpr unsigned kFocusColor = 0xC0FFFF;   // RGB 255,255,192

QString qs(u16view s)
{
    return QString::fromStdU16String(u16(s));
}

void setBack(QWidget* w, unsigned color)
{
    w->setStyleSheet(QStringLiteral("background-color: %1;").arg(cssColor(color)));
}

}

FrmCopy::FrmCopy(const platform::FileSystem& fs, QWidget* mainWindow) : QDialog(mainWindow), m_chooser(fs)
{
    setObjectName("FrmCopy");
    setModal(true);
    setFixedSize(twipsToPx(kWidth), twipsToPx(kHeight));
    buildControls();
}

void FrmCopy::buildControls()
{
    auto label = [this](const char* name, int left, int top, int width) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        placeTwips(l, left, top, width, 255);
        return l;
    };
    m_label5 = label("Label5", 120, 120, 1200);
    m_label1 = label("Label1", 1380, 120, 5700);
    m_label4 = label("Label4", 120, 450, 1200);
    m_label7 = label("Label7", 1380, 450, 5700);
    m_label6 = label("Label6", 120, 780, 1200);

    m_text2 = new Keyed<QLineEdit>(this);
    m_text2->setObjectName("Text2");
    placeTwips(m_text2, 1380, 750, 3600, 315);

    m_drive1 = new Keyed<QComboBox>(this);
    m_drive1->setObjectName("Drive1");
    placeTwips(m_drive1, 120, 1170, 2300, 315);
    for (const u16& item : m_chooser.drives().items())
        m_drive1->addItem(qs(item));
    m_label2 = label("Label2", 2520, 1200, 4560);

    m_dir1 = new Dir1(m_chooser.tree(), this);
    placeTwips(m_dir1, 120, 1560, 2300, 3540);
    m_file1 = new Keyed<QListWidget>(this);
    m_file1->setObjectName("File1");
    placeTwips(m_file1, 2520, 1560, 2460, 3540);

    m_frame1 = new QGroupBox(this);
    m_frame1->setObjectName("Frame1");
    placeTwips(m_frame1, 5100, 1560, 1995, 1260);
    m_option1 = new Keyed<QRadioButton>(m_frame1);
    m_option1->setObjectName("Option1");
    placeTwips(m_option1, 120, 330, 1800, 300);
    m_option2 = new Keyed<QRadioButton>(m_frame1);
    m_option2->setObjectName("Option2");
    placeTwips(m_option2, 120, 750, 1800, 300);

    m_command1 = new Keyed<QPushButton>(this);
    m_command1->setObjectName("Command1");
    placeTwips(m_command1, 5280, 3240, 1695, 495);
    m_command2 = new Keyed<QPushButton>(QStringLiteral("中止(Q)"), this);
    m_command2->setObjectName("Command2");
    placeTwips(m_command2, 5280, 3900, 1695, 495);

    setTabOrder(m_command1, m_command2);
    setTabOrder(m_command2, m_text2);
    setTabOrder(m_text2, m_drive1);
    setTabOrder(m_drive1, m_dir1);
    setTabOrder(m_dir1, m_file1);
    setTabOrder(m_file1, m_option1);
    setTabOrder(m_option1, m_option2);

    m_drive1->onKey = [this](int c, int s) { return key(ChooserControl::Drive1, c, s); };
    m_dir1->onKey = [this](int c, int s) { return key(ChooserControl::Dir1, c, s); };
    m_file1->onKey = [this](int c, int s) { return key(ChooserControl::File1, c, s); };
    m_command1->onKey = [this](int c, int s) { return key(ChooserControl::Command1, c, s); };
    m_command2->onKey = [this](int c, int s) { return key(ChooserControl::Command2, c, s); };
    m_drive1->onFocusIn = [this] { highlight(m_drive1); };
    m_dir1->onFocusIn = [this] { highlight(m_dir1); };
    m_file1->onFocusIn = [this] { highlight(m_file1); };

    connect(m_drive1, QOverload<int>::of(&QComboBox::activated), this, &FrmCopy::driveChosen);
    connect(m_command1, &QPushButton::clicked, this, &FrmCopy::execute);
    connect(m_command2, &QPushButton::clicked, this, &QDialog::reject);
    // The dialog has no default button: Enter in Text2 or on an option does
    // nothing; only Command1 runs the operation.
    platform::setDefaultButton(*this, nullptr);
    paintLists(nullptr);
}

void FrmCopy::configure(Operation operation, u16view sourceDir)
{
    m_operation = operation;
    const OperationCaptions& c = captionsOf(operation);
    setWindowTitle(qs(c.caption));
    m_label5->setText(qs(c.label5));
    m_label4->setText(qs(c.label4));
    m_label6->setText(qs(c.label6));
    m_command1->setText(qs(c.command1));
    m_frame1->setTitle(qs(c.frame1));
    m_option1->setText(qs(c.option1));
    m_option2->setText(qs(c.option2));
    m_option1->setChecked(true);
    m_sourceDir = AddBackslash(sourceDir);
    m_label1->setText(qs(m_sourceDir));
}

void FrmCopy::showMarked()
{
    m_label7->setText(qs(captionsOf(m_operation).markedLabel7));
    m_text2->hide();
    m_frame1->show();
}

void FrmCopy::showCurrent(u16view fileName, u16view text2, bool text2Visible, bool frameVisible)
{
    m_label7->setText(qs(fileName));
    m_text2->setText(qs(text2));
    m_text2->setVisible(text2Visible);
    m_frame1->setVisible(frameVisible);
}

void FrmCopy::SetForm()
{
    m_chooser.SetForm(m_sourceDir);
    showLists();
    m_label2->setText(qs(m_chooser.ChooserPath()));
    m_command1->setFocus();
}

std::pair<u16, u16> FrmCopy::GetOperationDirs() const
{
    return m_chooser.GetOperationDirs(m_sourceDir);
}

void FrmCopy::showLists()
{
    const int drive = m_chooser.drives().indexOf(m_chooser.drives().currentDrive());
    m_drive1->setCurrentIndex(drive);
    m_dir1->rebuild();
    refreshFileList();
}

void FrmCopy::refreshFileList()
{
    m_file1->clear();
    for (const u16& name : m_chooser.fileNames())
        m_file1->addItem(qs(name));
}

void FrmCopy::showChooserPath()
{
    m_label2->setText(qs(m_chooser.ChooserPath()));
}

void FrmCopy::driveChosen(int index)
{
    // A drive that is not ready leaves the lists as they were.
    if (!m_chooser.changeDrive(m_chooser.drives().letter(index))) {
        showLists();
        return;
    }
    showLists();
    showChooserPath();
}

void FrmCopy::paintLists(QWidget* focused)
{
    for (QWidget* list :
        {static_cast<QWidget*>(m_drive1), static_cast<QWidget*>(m_dir1), static_cast<QWidget*>(m_file1)})
        setBack(list, list == focused ? kFocusColor : kListColor);
}

void FrmCopy::highlight(QWidget* focused)
{
    paintLists(focused);
    if (focused != m_file1)
        showChooserPath();
}

int FrmCopy::key(ChooserControl control, int code, int shift)
{
    const ChooserKeyResult r = dispatchChooserKey(control, code, shift, m_chooser.tree().selectedIsRoot());
    switch (r.command) {
    case ChooserCommand::None:
        break;
    case ChooserCommand::FocusDrive1:
        m_drive1->setFocus();
        break;
    case ChooserCommand::FocusDir1:
        m_dir1->setFocus();
        break;
    case ChooserCommand::FocusFile1:
        m_file1->setFocus();
        break;
    case ChooserCommand::FocusCommand1:
        paintLists(nullptr);
        m_command1->setFocus();
        break;
    case ChooserCommand::OpenDirectory:
        if (m_chooser.openSelected()) {
            m_dir1->rebuild();
            refreshFileList();
            showChooserPath();
        }
        break;
    case ChooserCommand::TakeFileName:
        if (QListWidgetItem* item = m_file1->currentItem(); item && item->isSelected())
            m_text2->setText(item->text());
        break;
    case ChooserCommand::Execute:
        m_command1->click();
        break;
    case ChooserCommand::Cancel:
        reject();
        break;
    }
    return r.outcome.code;
}

void FrmCopy::execute()
{
    if (auto it = m_executors.find(m_operation); it != m_executors.end())
        it->second(*this);
    accept();
}

void FrmCopy::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Placed once shown, when the frame's size is known.
    placeOver(this, parentWidget(), 0.4);
}

}
