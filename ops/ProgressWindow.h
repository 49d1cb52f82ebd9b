#pragma once

#include "ops/CopyMove.h"
#include "ui/QtUi.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <optional>

namespace sorvik {

// Progress of a long copy or move: files and bytes done of the total and
// the current name. It appears only once the work has taken a moment, keeps
// the windows painted, and Esc or its button asks the loop to stop. It is
// application-modal, so no other command can start meanwhile.
class ProgressWindow : public QDialog, public OperationProgress {
    Q_OBJECT
public:
    explicit ProgressWindow(const QString& title, QWidget* parent = nullptr);
    ~ProgressWindow() override;

    void begin(int files, std::int64_t bytes) override;
    void startFile(u16view name, std::int64_t bytes) override;
    bool copied(std::int64_t bytes) override;
    void fileDone() override;
    void end() override;
    bool cancelRequested() const override { return m_cancel; }

    // How long the work runs before the window shows (tests set 0).
    void setShowDelay(int ms) { m_showDelay = ms; }
    void requestCancel() { m_cancel = true; }
    // Work that cannot stop halfway shows no cancel button.
    void setCancellable(bool cancellable);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void update(bool force);
    void appear();
    void disappear();

    QLabel* m_files = nullptr;
    QLabel* m_bytes = nullptr;
    QLabel* m_name = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QElapsedTimer m_started;
    QElapsedTimer m_lastUpdate;
    int m_showDelay = 500;
    int m_totalFiles = 0;
    int m_doneFiles = 0;
    std::int64_t m_totalBytes = 0;
    std::int64_t m_doneBytes = 0;
    bool m_cancel = false;
    // While it shows it has the keyboard (for Esc); the dialog underneath gets it back.
    std::optional<platform::FocusReturn> m_focusReturn;
};

}
