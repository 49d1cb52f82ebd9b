#pragma once

#include "assoc/AssociationEditor.h"
#include "assoc/EditorKeys.h"
#include "assoc/Form2Layout.h"
#include "assoc/ProgramBrowser.h"
#include "assoc/SelectionMemory.h"
#include "nav/Dir1.h"
#include "ui/QtKeyed.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace sorvik {

// The association table editor: a program browser on the left, the
// association lines on the right. It writes the association file only
// through "終了(Q)"; closed any other way it discards its changes.
class Form2 : public QDialog {
    Q_OBJECT
public:
    Form2(platform::FileSystem& fs, QWidget* mainWindow, u16view DataDir, u16view ProgramDir, u16view AssocPattern);
    ~Form2() override;

    AssociationEditor& editor() { return m_editor; }
    const ProgramBrowser& browser() const { return m_browser; }
    const Form2Layout& layoutTwips() const { return m_layout; }

    void SetBrowsePath(u16view directory);
    void SetFocusColor(const QString& name);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void applyLayout();
    void open(u16view AssocPattern);
    int key(EditorControl control, int code, int shift);
    void leaveList(QListWidget* list, SelectionMemory& memory);
    void putBack(QListWidget* list, SelectionMemory& memory);

    void showBrowser();
    void showFiles();
    void showLines();
    void driveChosen(int index);
    void focusChanged(QWidget* now);

    void Command2_Click();
    void Command3_Click();
    void cmdExit_Click();
    void List1_Click();
    void List1_DblClick();
    void file1SelectionChanged();

    AssociationEditor m_editor;
    ProgramBrowser m_browser;
    Form2Layout m_layout;
    SelectionMemory m_file1Memory;
    SelectionMemory m_list1Memory;

    Keyed<QComboBox>* m_drive1 = nullptr;
    Dir1* m_dir1 = nullptr;
    Keyed<QListWidget>* m_file1 = nullptr;
    Keyed<QListWidget>* m_list1 = nullptr;
    QLineEdit* m_text1 = nullptr;
    QLabel* m_label1 = nullptr;
    Keyed<QPushButton>* m_command2 = nullptr;
    Keyed<QPushButton>* m_command3 = nullptr;
    Keyed<QPushButton>* m_cmdExit = nullptr;
    QMetaObject::Connection m_focusWatch;
};

}
