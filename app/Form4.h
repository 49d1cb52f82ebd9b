#pragma once

#include <QWidget>

class QLabel;

namespace sorvik {

// The splash window shown while the main window loads.
class Form4 : public QWidget {
    Q_OBJECT
public:
    explicit Form4(const QString& executableName, QWidget* parent = nullptr);

    QLabel* label2() const { return m_label2; }

private:
    QLabel* m_image1 = nullptr;
    QLabel* m_label2 = nullptr;
};

}
