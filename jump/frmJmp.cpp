#include "jump/frmJmp.h"

#include "ui/QtConvert.h"

#include "jump/JumpFolders.h"
#include "jump/frmInput.h"
#include "platform/KeyCodes.h"
#include "platform/Ui.h"
#include "ui/QtUi.h"

#include <QGuiApplication>
#include <QScreen>

#include <vector>

namespace sorvik {

namespace {

constexpr int kWidth = 4455, kHeight = 3240;   // twips

QPushButton* button(QWidget* parent, const char* name, const char* caption, int top)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromUtf8(name));
    placeTwips(b, 3120, top, 1215, 435);
    return b;
}

}

frmJmp::frmJmp(JumpList& list, QWidget* parent) : QDialog(parent), m_jumps(list)
{
    setObjectName("frmJmp");
    setWindowTitle(QStringLiteral("Jumpﾌｧｵﾙﾀﾞｰ"));
    setModal(true);
    setFixedSize(twipsToPx(kWidth), twipsToPx(kHeight));

    m_list1 = new Keyed<QListWidget>(this);
    m_list1->setObjectName("List1");
    m_list1->setSelectionMode(QAbstractItemView::SingleSelection);
    placeTwips(m_list1, 120, 120, 2880, 3000);
    m_cmdOK = button(this, "cmdOK", "OK", 120);
    m_cmdCan = button(this, "cmdCan", "ｷｬﾝｾﾙ", 660);
    m_cmdDel = button(this, "cmdDel", "削除(&D)", 1560);
    m_cmdReName = button(this, "cmdReName", "修正(&R)", 2100);
    setTabOrder(m_list1, m_cmdOK);
    setTabOrder(m_cmdOK, m_cmdCan);
    setTabOrder(m_cmdCan, m_cmdDel);
    setTabOrder(m_cmdDel, m_cmdReName);
    // Enter means "OK" except on another button that has the focus.
    platform::setDefaultButton(*this, m_cmdOK);

    for (const clsJump& entry : m_jumps)
        m_list1->addItem(QString::fromStdU16String(entry.Alias));
    select(m_list1->count() > 0 ? 0 : -1);
    m_list1->onKey = [this](int code, int shift) { return listKey(code, shift); };
    m_list1->setFocus();

    connect(m_cmdOK, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(m_cmdCan, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_cmdDel, &QPushButton::clicked, this, [this] { deleteClicked(); });
    connect(m_cmdReName, &QPushButton::clicked, this, [this] { renameClicked(); });
    // Esc and the close box count as "ｷｬﾝｾﾙ".
    connect(this, &QDialog::rejected, this, [this] { RetValue.clear(); });

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move((s.width() - width()) / 2, (s.height() - height()) / 4);
    }
}

int frmJmp::selectedIndex() const
{
    QListWidgetItem* item = m_list1->currentItem();
    return item && item->isSelected() ? m_list1->row(item) : -1;
}

void frmJmp::select(int index)
{
    if (index < 0) {
        m_list1->setCurrentItem(nullptr);
        m_list1->clearSelection();
        return;
    }
    m_list1->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

u16 frmJmp::lineText(int index) const
{
    return m_list1->item(index)->text().toStdU16String();
}

int frmJmp::GetLisIX(int keyCode) const
{
    std::vector<u16> lines;
    lines.reserve(m_list1->count());
    for (int i = 0; i < m_list1->count(); ++i)
        lines.push_back(lineText(i));
    return sorvik::GetLisIX(lines, selectedIndex(), keyCode);
}

int frmJmp::listKey(int code, int shift)
{
    if (code == keys::kEnter && shift == 0) {
        m_cmdOK->click();
        return keys::kNone;
    }
    const bool digit = code >= keys::kDigit0 && code <= keys::kDigit9;
    const bool letter = code >= keys::letter('A') && code <= keys::letter('Z');
    if ((digit || letter) && (shift == 0 || shift == keys::kShift)) {
        // Our choice of line stands; the list's own type-ahead would pick another.
        select(GetLisIX(code));
        return keys::kNone;
    }
    return code;
}

void frmJmp::okClicked()
{
    const int index = selectedIndex();
    RetValue = index >= 0 ? lineText(index) : u16();
    accept();
}

void frmJmp::deleteClicked()
{
    const int index = selectedIndex();
    if (index < 0) {
        platform::ui().showMessage(u"消去する項目を選んで下さい");
        return;
    }
    m_jumps.remove(lineText(index));
    delete m_list1->takeItem(index);
    select(index - 1);
    m_list1->setFocus();
}

void frmJmp::renameClicked()
{
    const int index = selectedIndex();
    if (index < 0) {
        platform::ui().showMessage(u"修正する項目を選んで下さい");
        return;
    }
    const u16 oldAlias = lineText(index);
    const u16 newAlias = askJumpText(this, QStringLiteral("Jumpﾊﾟｽの修正"), oldAlias);
    if (newAlias.empty() || !m_jumps.contains(oldAlias))
        return;
    if (auto refusal = renameJump(m_jumps, oldAlias, newAlias)) {
        platform::ui().showMessage(*refusal);
        return;
    }
    m_list1->item(index)->setText(QString::fromStdU16String(newAlias));
    select(index);
    m_list1->setFocus();
}

}
