#pragma once

#include "nav/Dir1.h"
#include "ops/Operation.h"
#include "ops/OperationChooser.h"
#include "ops/OperationKeys.h"
#include "ui/QtKeyed.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <map>

namespace sorvik {

// The operation dialog: the destination of copy, move, compress and extract.
// The command that opens it sets the operation, which chooses the captions
// and options; `Command1` runs the executor registered for the operation,
// then the dialog closes. The captions only show the operation and the
// source directory, which are kept as values.
class FrmCopy : public QDialog {
    Q_OBJECT
public:
    using Executor = std::function<void(FrmCopy&)>;

    FrmCopy(const platform::FileSystem& fs, QWidget* mainWindow);

    // Captions of every control for the operation, `Option1` selected, and
    // `Label1` := the source directory with a trailing "\".
    void configure(Operation operation, u16view sourceDir);
    // What is shown for marked files or for the current entry alone.
    void showMarked();
    void showCurrent(u16view fileName, u16view text2, bool text2Visible, bool frameVisible);

    void SetForm();
    std::pair<u16, u16> GetOperationDirs() const;

    void setExecutor(Operation operation, Executor executor) { m_executors[operation] = std::move(executor); }
    bool option1Selected() const { return m_option1->isChecked(); }
    u16 text2() const { return m_text2->text().toStdU16String(); }

    OperationChooser& chooser() { return m_chooser; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    int key(ChooserControl control, int code, int shift);
    void execute();
    void showLists();
    void refreshFileList();
    void driveChosen(int index);
    void highlight(QWidget* focused);
    // The focused list pale yellow, the others white (all white for nullptr).
    void paintLists(QWidget* focused);
    void showChooserPath();

    OperationChooser m_chooser;
    Operation m_operation = Operation::Copy;
    u16 m_sourceDir;   // with its trailing "\"
    std::map<Operation, Executor> m_executors;
    Keyed<QComboBox>* m_drive1 = nullptr;
    Dir1* m_dir1 = nullptr;
    Keyed<QListWidget>* m_file1 = nullptr;
    Keyed<QLineEdit>* m_text2 = nullptr;
    QGroupBox* m_frame1 = nullptr;
    Keyed<QRadioButton>* m_option1 = nullptr;
    Keyed<QRadioButton>* m_option2 = nullptr;
    Keyed<QPushButton>* m_command1 = nullptr;
    Keyed<QPushButton>* m_command2 = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_label5 = nullptr;
    QLabel* m_label6 = nullptr;
    QLabel* m_label7 = nullptr;
};

}
