#include "ops/Operation.h"

namespace sorvik {

namespace {

constexpr OperationCaptions kCaptions[] = {
    {u"ﾌｧｲﾙの複写", u"複写元", u"複写元ﾌｧｲﾙ", u"複写先ﾌｧｲﾙ", u"複写", u"送先のﾌｧｲﾙ", u"有ればしない", u"古ければする",
        u"選択ﾌｧｲﾙの複写"},
    {u"ﾌｧｲﾙの移動", u"移動元", u"移動元ﾌｧｲﾙ", u"移動先ﾌｧｲﾙ", u"移動", u"送先のﾌｧｲﾙ", u"有ればしない", u"古ければする",
        u"選択ﾌｧｲﾙの移動"},
    {u"ﾌｧｲﾙの圧縮", u"圧縮元", u"圧縮元ﾌｧｲﾙ", u"圧縮先ﾌｧｲﾙ", u"圧縮", u"格納方法", u"ﾃﾞｨﾚｸﾄﾘ付", u"ﾃﾞｨﾚｸﾄﾘ無", u""},
    {u"ﾌｧｲﾙの解凍", u"解凍元", u"解凍元ﾌｧｲﾙ", u"解凍先ﾌｧｲﾙ", u"展開", u"格納方法", u"ﾃﾞｨﾚｸﾄﾘ付", u"ﾃﾞｨﾚｸﾄﾘ無", u""},
};

}

const OperationCaptions& captionsOf(Operation operation)
{
    return kCaptions[int(operation)];
}

const char16_t* protectionWord(Operation operation)
{
    return operation == Operation::Move ? u"移動" : u"コピー";
}

}
