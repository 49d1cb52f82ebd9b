#pragma once

#include "ui/QtKeyed.h"

#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <array>
#include <cstdint>

namespace sorvik {

// The attribute dialog: one Yes/No pair per attribute (ReadOnly, Hidden,
// System, Archive); "変更" accepts with exactly the chosen bits, "中止(Q)",
// Esc and Q cancel.
class Form5 : public QDialog {
    Q_OBJECT
public:
    explicit Form5(QWidget* mainWindow = nullptr);

    // Selects Yes for every set bit of the four, No for the others.
    void preset(std::uint32_t attributes);
    // The bits whose Yes is selected.
    std::uint32_t chosen() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int key(int code, int shift);
    void colourFrame(int index, bool focused);

    std::array<QGroupBox*, 4> m_frames{};
    std::array<Keyed<QRadioButton>*, 4> m_yes{};
    std::array<Keyed<QRadioButton>*, 4> m_no{};
    Keyed<QPushButton>* m_command1 = nullptr;
    Keyed<QPushButton>* m_command2 = nullptr;
};

}
