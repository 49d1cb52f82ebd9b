#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>

#include <array>
#include <cstdint>

namespace sorvik {

// The display-kinds dialog: "Read Only", "Hidden", "System" and "Archive".
// "OK" (or Enter) accepts the boxes; "ｷｬﾝｾﾙ" (or Esc) rejects, and the
// caller then keeps the kinds it had.
class frmFileDisp : public QDialog {
    Q_OBJECT
public:
    explicit frmFileDisp(QWidget* parent = nullptr);

    // Boxes from the four kinds (non-zero checks) and back (1 checked, 0 not).
    void SetCheck(std::int16_t ReadOnly, std::int16_t Hidden, std::int16_t System, std::int16_t Archive);
    void GetCheck(std::int16_t& ReadOnly, std::int16_t& Hidden, std::int16_t& System, std::int16_t& Archive) const;

    QCheckBox* check(int index) const { return m_checks[index]; }

private:
    std::array<QCheckBox*, 4> m_checks{};
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCan = nullptr;
};

}
