#pragma once

#include "app/Settings.h"
#include "assoc/AssociationTable.h"
#include "cmd/Commands.h"
#include "desc/Descriptions.h"
#include "nav/DirTree.h"
#include "nav/DriveList.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "table/FileListing.h"
#include "table/FileTable.h"
#include "table/PositionStack.h"

#include <functional>

namespace sorvik {

// Window geometry in twips, as the settings file keeps it.
struct WindowGeometry {
    double top = 0, left = 0, clientWidth = 0, clientHeight = 0;
};

// Everything `Form1` decides, without a screen: start-up and close, the
// directory change, the file table and its refresh. The window shows it and
// turns its events into these calls.
class Form1Model : public CommandContext {
    // First, so the members below can be built from them.
    platform::FileSystem& m_fs;
    platform::ProgramInfo m_program;

public:
    Form1Model(platform::FileSystem& fs, platform::ProgramInfo program);

    // Load steps up to putting the cursor on the first row. `startPath` is the
    // directory the tree showed when the window was created; the table's width
    // follows the window's client area.
    void Load(u16view startPath, int tableWidthTwips = 10065);
    // Writes the settings and the descriptions; the caller then ends the program.
    void Close(const WindowGeometry& geometry);

    // --- the file table ---
    void RefreshFileTable(char16_t sortKind) override;
    void GoToFirstRow();
    int CountMarkedRows() override;
    void PushTablePosition() override;
    void PopTablePosition() override;
    u16 fileCountText() const;

    // --- keys built so far ---
    void toggleMarkAtCursor();
    void sortByCursorColumn(bool descending);
    void changeCursorColumnWidth(int deltaTwips);
    bool SelectFilter(int digit);

    // --- navigation ---
    // Opens a directory in the tree and runs the directory change; false
    // (nothing changed) when it cannot be entered.
    bool setTreePath(u16view path);
    // The drive list change: the tree goes to the drive's current directory.
    bool setDrive(char16_t letter);
    // Focus memory of the table.
    void tableLostFocus();
    void tableGotFocus();
    // Focus to the table at the remembered cell, row 0 when it is gone.
    void goToTable();

    // Named load steps.
    // The working directory to DataDir, creating it when missing; an
    // installed copy's DataDir that cannot be made is reported.
    void EnterDataDir();
    bool dataDirMissing() const { return m_dataDirMissing; }
    void SetupFileTable(int tableWidthTwips);
    void MigrateOldDataFiles();
    void ApplyDisplayKinds();
    void AssocTableLoad();
    void OpenFirstDirectory();

    // --- what commands run against ---
    platform::FileSystem& fs() override { return m_fs; }
    FileTable& table() override { return Grid1; }
    u16 currentDir() const override;
    void ComentSet(u16view path, u16view text) override { descriptions.ComentSet(path, text); }
    void ComentMove(u16view oldPath, u16view newPath) override { descriptions.ComentMove(oldPath, newPath); }

    const platform::ProgramInfo& program() const { return m_program; }

    u16 ProgramDir;
    u16 DataDir;
    u16 RuntimeDir;   // where the help text is shipped: ProgramDir for a portable copy
    const u16 LineBreak = u"\r\n";
    u16 CurrentDir;
    SettingsValues settings;         // geometry and start directory as the settings file held them
    SettingsOrigin settingsOrigin;   // the settings file as loaded, so the close saves only this run's changes
    DisplayKinds displayKinds;
    sorvik::FilterList FilterList;
    sorvik::JumpList JumpList;
    AssociationTable AssocTable;   // pattern -> program, used when the desktop cannot open a file
    FileTable Grid1;
    FileListing File1;
    DriveList Drive1;
    DirTree Dir1;
    Descriptions descriptions;
    PositionStack positions;
    int LastTableCol = 0;
    int LastTableRow = 1;
    u16 lastTableDir;

    // Hooks for the window: busy pointer and notices that are not messages.
    std::function<void(bool busy)> onBusy;
    std::function<void()> onFileCountChanged;

private:
    void directoryTreeChange();
    void fillDirectly(u16view path);

    bool m_dataDirMissing = false;   // an installed copy's DataDir could not be made
    int m_fileCount = 0;
    int m_listedCount = 0;
    u16 m_cutNoticeShownFor;
};

}
