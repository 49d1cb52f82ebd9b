#include "ops/Form5.h"

#include "ops/Attributes.h"
#include "platform/KeyCodes.h"
#include "ui/QtConvert.h"
#include "ui/QtUi.h"

#include <QButtonGroup>
#include <QLabel>

namespace sorvik {

namespace {

constexpr int kWidth = 2880, kHeight = 4170;   // twips
constexpr const char* kFrameCaptions[4] = {"ReadOnly ", "Hidden", "System", "Archive"};

// Focus is watched on the option buttons themselves; a frame has no focus of its own.
class FocusWatch : public QObject {
public:
    FocusWatch(QObject* parent, std::function<void(bool)> changed) : QObject(parent), m_changed(std::move(changed)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            m_changed(true);
        else if (event->type() == QEvent::FocusOut)
            m_changed(false);
        return false;
    }

private:
    std::function<void(bool)> m_changed;
};

}

Form5::Form5(QWidget* mainWindow) : QDialog(mainWindow)
{
    setObjectName("Form5");
    setModal(true);
    setFixedSize(twipsToPx(kWidth), twipsToPx(kHeight));
    auto* heading = new QLabel(QStringLiteral(" Yes   No"), this);
    heading->setObjectName("Label1");
    placeTwips(heading, 1320, 60, 1200, 255);
    QWidget* previous = nullptr;
    for (int i = 0; i < 4; ++i) {
        auto* frame = new QGroupBox(QString::fromLatin1(kFrameCaptions[i]), this);
        frame->setObjectName("Frame1");
        frame->setProperty("Index", i);
        placeTwips(frame, 120, 300 + i * 780, 2640, 720);
        auto* group = new QButtonGroup(frame);
        m_yes[i] = new Keyed<QRadioButton>(frame);
        m_yes[i]->setObjectName("Option1");
        m_yes[i]->setProperty("Index", i);
        placeTwips(m_yes[i], 1320, 300, 360, 300);
        m_no[i] = new Keyed<QRadioButton>(frame);
        m_no[i]->setObjectName("Option2");
        m_no[i]->setProperty("Index", i);
        placeTwips(m_no[i], 1920, 300, 360, 300);
        group->addButton(m_yes[i]);
        group->addButton(m_no[i]);
        m_no[i]->setChecked(true);
        m_frames[i] = frame;
        for (auto* option : {m_yes[i], m_no[i]}) {
            option->onKey = [this](int c, int s) { return key(c, s); };
            option->installEventFilter(new FocusWatch(option, [this, i](bool in) { colourFrame(i, in); }));
            if (previous)
                setTabOrder(previous, option);
            previous = option;
        }
    }
    m_command1 = new Keyed<QPushButton>(QStringLiteral("変更"), this);
    m_command1->setObjectName("Command1");
    placeTwips(m_command1, 120, 3480, 1275, 495);
    m_command2 = new Keyed<QPushButton>(QStringLiteral("中止(Q)"), this);
    m_command2->setObjectName("Command2");
    placeTwips(m_command2, 1485, 3480, 1275, 495);
    m_command1->onKey = [this](int c, int s) { return key(c, s); };
    setTabOrder(previous, m_command1);
    setTabOrder(m_command1, m_command2);
    connect(m_command1, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_command2, &QPushButton::clicked, this, &QDialog::reject);
    platform::setDefaultButton(*this, m_command1);

    for (int i = 0; i < 4; ++i)
        colourFrame(i, false);
}

void Form5::preset(std::uint32_t attributes)
{
    for (int i = 0; i < 4; ++i)
        (attributes & kAttributeBits[i] ? m_yes[i] : m_no[i])->setChecked(true);
}

std::uint32_t Form5::chosen() const
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        if (m_yes[i]->isChecked())
            value |= kAttributeBits[i];
    return value;
}

int Form5::key(int code, int shift)
{
    // Q typed on the change button or an option button cancels.
    if (code == keys::letter('Q') && shift != keys::kCtrl) {
        reject();
        return keys::kNone;
    }
    return code;
}

void Form5::colourFrame(int index, bool focused)
{
    const QString style = focused ? QStringLiteral("background-color: rgb(255,255,192);")
                                  : QStringLiteral("background-color: palette(button);");
    m_frames[index]->setStyleSheet(QStringLiteral("QGroupBox, QRadioButton { %1 }").arg(style));
}

void Form5::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Placed once shown, when the frame's size is known.
    placeOver(this, parentWidget(), 0.4);
}

}
