// The scene's fixed text tables.
#include "game/scene/SceneText.h"

#include "game/rules/CardRules.h"

#include <array>

namespace scene {
namespace {

constexpr std::array<std::string_view, QUICK_TALK_PHRASES> PHRASES = {
    "快点吧，我等到花儿都谢了！",
    "有炸弹没？",
    "让我收拾他！",
    "我要不起，你压住他！",
    "让他出！",
    "晕！打错牌了！",
    "跟你搭档真倒霉！",
    "牌不好！",
    "抓分啊！",
    "不要吵了，不要吵了，专心打牌吧！",
    "要输了，你快走吧！",
    "小意思，这些赏你的！",
    "这牌打得也太给力了吧！",
    "坑爹啊，会玩吗？",
    "你是MM还是GG？",
    "不好意思，我要离开会！",
    "不要走决战到天亮！",
    "我要走了，下次再玩吧！",
    "都是本地人交个朋友吧！",
    "你快走，别管我！",
};

constexpr std::array<std::string_view, VALUE_NAMES> VALUE_TEXTS = {
    "", "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K", "A", "小王", "大王", "", "", "", "",
};

constexpr std::array<std::string_view, SUIT_NAMES> SUIT_TEXTS = {
    "方块", "梅花", "红桃", "黑桃", "", "", "", "", "", "",
};

constexpr std::array<std::string_view, 21> NUMERALS = {
    "零", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十",
    "十一", "十二", "十三", "十四", "十五", "十六", "十七", "十八", "十九", "二十",
};

template<size_t N>
std::string_view Lookup(const std::array<std::string_view, N>& table, int64_t index)
{
    return index >= 0 && static_cast<uint64_t>(index) < N ? table[static_cast<size_t>(index)] : std::string_view {};
}

} // namespace

std::string_view GetQuickTalkPhrase(int index)
{
    return Lookup(PHRASES, index);
}

std::string_view GetValueName(int32_t value)
{
    return Lookup(VALUE_TEXTS, value);
}

std::string_view GetSuitName(int32_t suit)
{
    return Lookup(SUIT_TEXTS, suit);
}

std::string ChineseNumeral(int number)
{
    const std::string_view numeral = Lookup(NUMERALS, number);
    return numeral.empty() ? std::string("N") : std::string(numeral);
}

std::string GetCardName(int32_t card)
{
    std::string name(GetSuitName(rules::GetCardSuit(card)));
    name += GetValueName(rules::GetCardValue(card));
    return name;
}

} // namespace scene
