#pragma once

// Every text the program shows or stores, in one place.
namespace tavrin::texts {

inline constexpr char16_t windowCaption[] = u"Vornelの繰り返しタイマー\u3000Tavrin ver. 1.70";

inline constexpr char16_t start[] = u"開始";
inline constexpr char16_t reset[] = u"リセット";
inline constexpr char16_t pause[] = u"中断";
inline constexpr char16_t resume[] = u"再開";
inline constexpr char16_t exit[] = u"終了";
inline constexpr char16_t help[] = u"?";

inline constexpr char16_t defaultMessage1[] = u"移動してください";
inline constexpr char16_t defaultMessage2[] = u"試験終了";

inline constexpr char settingsFile[] = "Tavrin.cfg";
inline constexpr char helpFile[] = "Tavrin.chm";
inline constexpr char defaultCue1[] = "Tavrin-Jihou1.wav";
inline constexpr char defaultCue2[] = "Tavrin-Jihou2.wav";
inline constexpr char defaultCue3[] = "Tavrin-Jihou3.wav";
inline constexpr char chimeCue[] = "Tavrin-chime.wav";
inline constexpr char deviceType[] = "WaveAudio";

// Messages the program adds for the operator.
inline constexpr char16_t noticeTitle[] = u"Tavrin";
inline constexpr char16_t timeBoxTooLarge[] =
    u"%1の値「%2」は大きすぎます（-32768 ～ 32767 の範囲で入力してください）。\n"
    u"時間と問題数は変更していません。";
inline constexpr char16_t totalTooLarge[] =
    u"合計 (%1 ＋ %2) × %3 が 32767 秒を超えます。\n"
    u"時間と問題数は変更していません。値を小さくして Enter を押してください。";
inline constexpr char16_t startupTotalTooLarge[] =
    u"設定ファイルの時間と問題数 (%1 ＋ %2) × %3 では合計が 32767 秒を超えます。\n"
    u"標準の値 30 秒、5 秒、40 問を使います。";
inline constexpr char16_t helpMissing[] =
    u"ヘルプファイルが見つかりません:\n%1";
inline constexpr char16_t helpNotOpened[] =
    u"ヘルプファイルを開けませんでした:\n%1";
inline constexpr char16_t saveFailed[] =
    u"設定ファイル「%1」を保存できませんでした（%2）。\n"
    u"プログラムは終了していません。原因を取り除いてからもう一度［終了］を押してください。";
inline constexpr char16_t confirmCloseTitle[] = u"試験中です";
inline constexpr char16_t confirmClose[] =
    u"試験はまだ終わっていません。ウィンドウを閉じると試験は中止され、設定は保存されません。\n"
    u"本当に閉じますか？";
inline constexpr char16_t internalError[] =
    u"予期しないエラーが起きました（%1）。\n表示と時間はそのまま続けています。";
inline constexpr char16_t tickOverflow[] =
    u"数値が範囲を超えたため、この問題（または試験）をここで終わりにしました。";

inline constexpr char16_t labelTime1[] = u"１問あたり";
inline constexpr char16_t labelTime2[] = u"移動時間";
inline constexpr char16_t labelCycle[] = u"問題数";

} // namespace tavrin::texts
