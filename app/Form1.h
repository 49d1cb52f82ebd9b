#pragma once

#include "app/FocusMode.h"
#include "app/Form1Layout.h"
#include "app/Form1Model.h"
#include "cmd/Commands.h"
#include "desc/Text1.h"
#include "table/TableKeys.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace sorvik {

class Grid1;
class Dir1;
class DriveButtons;

// The main window: puts the panes together and turns their events into
// Form1Model calls. Commands of their own live beside their subsystems.
class Form1 : public QWidget {
    Q_OBJECT
public:
    Form1(platform::FileSystem& fs, platform::ProgramInfo program, QWidget* parent = nullptr);
    ~Form1() override;

    // The load steps; `startPath` is the directory the program was started in.
    void Load(u16view startPath);

    Form1Model& model() { return m_model; }
    Grid1* grid() const { return m_grid; }
    Dir1* dirTree() const { return m_dir; }
    DriveButtons* driveButtons() const { return m_drives; }
    Text1* text1() const { return m_text1; }
    QLabel* label4() const { return m_label4; }
    const Form1Layout& layout() const { return m_layout; }

    // Drive buttons: focus to the listed drive's button, or to one by index.
    void cmdHddSetFocus();
    void cmdHddSetFocusIX(int index);
    // Colours the panes and the status label for the pane that got the focus ("Dir1" or "Grid1").
    void SetFocusMode(const QString& name);

    // Runs when the close sequence has written its files; the program ends there.
    std::function<void()> onEnded;

    // The commands that keys and buttons share; filled where the program is
    // put together. A command nobody registered does nothing.
    CommandRegistry& commands() { return m_commands; }
    std::optional<CommandOutcome> runCommand(CommandId id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void placeCommandRow();
    void applyLayout();
    void restoreGeometry();
    void showFileCount();
    void goToTable();
    void refreshTree();

    // Key routing, in Form1Keys.cpp.
    bool windowKey(int code, int shift);
    int tableKey(int code, int shift);
    int treeKey(int code, int shift);
    int driveButtonKey(int index, int code, int shift);

    void driveButtonChosen(int index);
    void driveButtonFocused(int index);

    // `Label2` shows the pane that has the attention; the pane is kept here.
    void setAttention(FocusPane pane);
    // The drive button of the listed directory's drive, or -1.
    int listedDriveIndex() const;
    void label2DoubleClicked();
    // The table's double-click action, also run by Shift+Enter.
    void Grid1_DblClick();

    Form1Model m_model;
    CommandRegistry m_commands;
    Grid1* m_grid = nullptr;
    Dir1* m_dir = nullptr;
    DriveButtons* m_drives = nullptr;
    QLabel* m_label2 = nullptr;
    FocusPane m_attention = FocusPane::None;
    QLabel* m_label4 = nullptr;
    QLabel* m_label1 = nullptr;
    Text1* m_text1 = nullptr;
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
    QPushButton* m_command3 = nullptr;
    QPushButton* m_cmdHiddn = nullptr;
    QPushButton* m_cmdAssoc = nullptr;
    bool m_escPressesQuit = true;
    bool m_closing = false;
    Form1Layout m_layout;   // where the controls stand, in twips
};

}
