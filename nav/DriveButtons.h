#pragma once

#include <QLabel>
#include <QPushButton>

#include <functional>
#include <vector>

namespace sorvik {

class DriveList;

// Colours in the Windows 0x00BBGGRR form, as the drive buttons keep them.
inline constexpr unsigned kChosenDriveColor = 0x80FF80;
inline constexpr unsigned kBaseBackColor = 0x808000;
inline constexpr unsigned kCurrentDriveColor = 0xC0FFFF;

// Strip colour of a drive type.
unsigned SetHddColor(int hddTag);

// One drive button.
class cmdHdd : public QPushButton {
    Q_OBJECT
public:
    cmdHdd(int index, QWidget* parent);
    int index() const { return m_index; }

    std::function<int(int index, int code, int shift)> onKey;
    std::function<void(int index)> onFocusIn;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    int m_index;
};

// The row of drive buttons `cmdHdd` and their type strips `LblHdd`.
class DriveButtons : public QObject {
    Q_OBJECT
public:
    DriveButtons(DriveList& drives, QWidget* form);

    // Builds one button and one strip per drive (twips: left 120, width 315, gap 15).
    void build(const std::function<int(char16_t letter)>& driveType);
    int count() const { return int(m_buttons.size()); }
    cmdHdd* button(int i) const { return m_buttons[i]; }
    QLabel* strip(int i) const { return m_strips[i]; }
    unsigned backColor(int i) const { return m_colors[i]; }
    unsigned stripColor(int i) const { return m_stripColors[i]; }
    // Left edge plus width of the last button, in twips.
    int rightEdgeTwips() const;

    void setBackColor(int i, unsigned color);
    void paintChosen(int index);

private:
    DriveList& m_drives;
    QWidget* m_form;
    std::vector<cmdHdd*> m_buttons;
    std::vector<QLabel*> m_strips;
    std::vector<unsigned> m_colors;
    std::vector<unsigned> m_stripColors;
};

}
