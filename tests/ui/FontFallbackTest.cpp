#include <QApplication>
#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace sorvik::test {
namespace {

struct GlyphRunFont {
    QString family;
    bool drawn = true;   // no glyph is the missing-glyph box
};

// How a line of text in `family` is drawn: the font of each run and whether
// every character found a glyph.
std::vector<GlyphRunFont> runsOf(const QString& text, const QString& family)
{
    QFont font(family);
    font.setPointSizeF(9);
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    std::vector<GlyphRunFont> runs;
    for (const QGlyphRun& r : layout.glyphRuns()) {
        GlyphRunFont run{r.rawFont().familyName()};
        for (quint32 glyph : r.glyphIndexes())
            run.drawn = run.drawn && glyph != 0;
        runs.push_back(run);
    }
    return runs;
}

struct DesignFont {
    const char* family;
    const char* fallback;
};

void PrintTo(const DesignFont& font, std::ostream* os)
{
    *os << font.family;
}

class FontFallback : public testing::TestWithParam<DesignFont> {};

// The windows' fonts name Windows' Japanese fonts; on Linux Japanese text is
// drawn with the IPA fonts, and what they lack (Hangul, Chinese characters
// outside the Japanese sets) with one fallback font, never as boxes.
TEST_P(FontFallback, japaneseStaysWithIpaAndHangulAndChineseFindGlyphs)
{
    const QString family = QString::fromUtf8(GetParam().family);
    const QString fallback = QString::fromUtf8(GetParam().fallback);
    for (const GlyphRunFont& run : runsOf(QStringLiteral("説明記入欄ﾌｧｲﾙ"), family)) {
        EXPECT_TRUE(run.family.startsWith(QStringLiteral("IPA"), Qt::CaseInsensitive)) << run.family.toStdString();
        EXPECT_TRUE(run.drawn);
    }
    for (const QString& text :
        {QStringLiteral("한국어 파일.txt"), QStringLiteral("简体中文说明"), QStringLiteral("報告書 한글 简体.txt")}) {
        const std::vector<GlyphRunFont> runs = runsOf(text, family);
        ASSERT_FALSE(runs.empty());
        for (const GlyphRunFont& run : runs) {
            EXPECT_TRUE(run.drawn) << text.toStdString() << " in " << run.family.toStdString();
            if (!run.family.startsWith(QStringLiteral("IPA"), Qt::CaseInsensitive)) {
                EXPECT_EQ(run.family, fallback) << text.toStdString();
            }
        }
    }
}

// The monospaced font keeps a monospaced fallback, so the table's columns stay aligned.
INSTANTIATE_TEST_SUITE_P(DesignFonts, FontFallback,
    testing::Values(
        DesignFont{"ＭＳ ゴシック", "Noto Sans Mono CJK JP"}, DesignFont{"ＭＳ Ｐゴシック", "Noto Sans CJK JP"}));

}
}
