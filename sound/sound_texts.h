#pragma once

// What the player bank tells the operator, in one place.
namespace tavrin::texts {

inline constexpr char16_t soundNoOutput[] =
    u"音を出す装置が使えないため、合図の音は鳴りません。試験は音なしで進みます。\n"
    u"音が必要なときは、スピーカーなどの出力装置をつないで（または有効にして）から、"
    u"プログラムを起動し直してください。\n（%1）";

inline constexpr char16_t soundFallbackHead[] =
    u"次の音声ファイルは使えないため、代わりに内蔵の合図音を鳴らします。";
inline constexpr char16_t soundFallbackItem[] = u"・%1（%2）: %3";
inline constexpr char16_t soundFallbackFoot[] =
    u"試験はこのまま進められます。ファイルを用意してプログラムを起動し直すと、"
    u"そのファイルの音が使われます。";
inline constexpr char16_t soundBuiltinAlsoFailed[] =
    u"%1。内蔵の合図音も使えないため、この合図は鳴りません";

inline constexpr char16_t soundMissing[] = u"見つかりません";
inline constexpr char16_t soundNotAFile[] = u"ファイルではありません";
inline constexpr char16_t soundUnreadable[] = u"読み取れません";
inline constexpr char16_t soundTooLarge[] = u"大きすぎます";
inline constexpr char16_t soundUndecodable[] = u"音声ファイルとして読めません";
inline constexpr char16_t soundNoName[] = u"（ファイル名が空です）";

// The players' roles, as the operator knows them.
inline constexpr char16_t soundRole1[] = u"残り数秒の合図";
inline constexpr char16_t soundRole2[] = u"解答時間終了の合図";
inline constexpr char16_t soundRole3[] = u"試験終了の合図";
inline constexpr char16_t soundRole4[] = u"入力確認のチャイム";

} // namespace tavrin::texts
