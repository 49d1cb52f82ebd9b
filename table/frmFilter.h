#pragma once

#include "table/FilterList.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>

namespace sorvik {

// The filter dialog: ten fields "ﾌｨﾙﾀ0" to "ﾌｨﾙﾀ9". "OK" stores all ten into
// the FilterList, unless one holds a comma: then it says which and stays
// open with nothing stored. "ｷｬﾝｾﾙ" and Esc store nothing. The pattern in
// use is not touched; a digit key applies an entry.
class frmFilter : public QDialog {
    Q_OBJECT
public:
    frmFilter(FilterList& filters, QWidget* parent = nullptr);

    QLineEdit* text1(int index) const { return m_text1[index]; }

private:
    void okClicked();

    FilterList& m_filters;
    std::array<QLabel*, FilterList::kCount> m_label1{};
    std::array<QLineEdit*, FilterList::kCount> m_text1{};
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCan = nullptr;
};

}
