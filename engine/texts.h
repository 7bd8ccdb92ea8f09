#pragma once

#include "version.h"

#include <QString>

// Every text the program shows or stores, in one place.
namespace tavrin::texts {

// One of the texts below as a QString.
inline QString str(const char16_t *s)
{
    return QString::fromUtf16(s);
}

inline constexpr char16_t windowCaption[] = u"Vornelの繰り返しタイマー\u3000Tavrin ver. " TAVRIN_VERSION;

inline constexpr char16_t start[] = u"開始";
inline constexpr char16_t reset[] = u"リセット";
inline constexpr char16_t pause[] = u"中断";
inline constexpr char16_t resume[] = u"再開";
inline constexpr char16_t exit[] = u"終了";
inline constexpr char16_t help[] = u"?";

inline constexpr char16_t defaultMessage1[] = u"移動してください";
inline constexpr char16_t defaultMessage2[] = u"試験終了";

inline constexpr char settingsFile[] = "Tavrin.cfg";
// The settings of the functions beyond the window (room display, rooms), in
// a file of their own: Tavrin.cfg stays as it always was.
inline constexpr char optionsFile[] = "Tavrin-options.ini";
// The journal of every run.
inline constexpr char recordFile[] = "Tavrin-record.sqlite";
inline constexpr char helpFile[] = "Tavrin.chm";
inline constexpr char defaultCue1[] = "Tavrin-Jihou1.wav";
inline constexpr char defaultCue2[] = "Tavrin-Jihou2.wav";
inline constexpr char defaultCue3[] = "Tavrin-Jihou3.wav";
inline constexpr char chimeCue[] = "Tavrin-chime.wav";

// Messages the program adds for the operator.
inline constexpr char16_t noticeTitle[] = u"Tavrin";
// In the control strip while a run goes on: the notices wait there rather
// than cover the dots, until a pause, the end or a click on this line.
inline constexpr char16_t noticesHeld[] = u"お知らせ %1 件（クリックで表示、中断か終了でも表示）：%2";
inline constexpr char16_t timeBoxOutOfRange[] =
    u"%1の値「%2」は範囲外です（-32768 ～ 32767 の範囲で入力してください）。\n"
    u"時間と問題数は変更していません。";
inline constexpr char16_t totalTooLarge[] =
    u"合計 (%1 ＋ %2) × %3 が 32767 秒を超えます。\n"
    u"時間と問題数は変更していません。値を小さくして Enter を押してください。";
inline constexpr char16_t startupTotalTooLarge[] =
    u"設定ファイルの時間と問題数 (%1 ＋ %2) × %3 では合計が 32767 秒を超えます。\n"
    u"標準の値 %4 秒、%5 秒、%6 問を使います。";
// A programme's reading time and breaks: the banner and its countdown.
inline constexpr char16_t leadCountdown[] = u"%1　%2:%3";
inline constexpr char16_t readingBanner[] = u"問題を読む時間";
inline constexpr char16_t breakBanner[] = u"休憩";
inline constexpr char16_t timeEntryDuringProgramme[] =
    u"プログラムを選んでいる間は、時間と問題数の入力は使いません（入力は受け付けていません）。\n"
    u"欄の値で試験をするときは、プログラムの選択をやめてから入力してください。";
inline constexpr char16_t programmeWaits[] =
    u"選んだプログラムは、いまの試験が終わるかリセットしたときから使います。いまの試験はそのまま続きます。";
inline constexpr char16_t programmeNotRunnable[] =
    u"このプログラムは使えません（部分は 1 ～ 100 個、合計 24 時間まで、各ブロックは (解答＋移動)×問題数 が 32767 秒まで）。\n"
    u"いままでの計画のままです。プログラムを直してから選び直してください。";
inline constexpr char16_t programmeTooLargeForRooms[] =
    u"このプログラムは部屋へ送るには大きすぎます（部分の数か表示の文が多すぎます）。いままでの計画のままです。\n"
    u"部分を減らすか、表示の文を短くしてから選び直してください。";
inline constexpr char16_t helpMissing[] =
    u"ヘルプファイルが見つかりません:\n%1";
inline constexpr char16_t helpNotOpened[] =
    u"ヘルプファイルを開けませんでした:\n%1";
inline constexpr char16_t saveFailed[] =
    u"設定ファイル「%1」を保存できませんでした（%2）。\n"
    u"原因を取り除いてから［もう一度保存］を押すか、［保存せずに終了］を押してください。"
    u"［ウィンドウに戻る］では何も変わりません。";
inline constexpr char16_t saveNoCopy[] =
    u"設定ファイル「%1」は、元の内容の控えを残してから上書きするはずでしたが、控えを作れません（%2）。\n"
    u"控えを残さずに上書きするか、保存せずに終了するか、ウィンドウに戻ってください。";
inline constexpr char16_t confirmCloseTitle[] = u"試験中です";
inline constexpr char16_t confirmClose[] =
    u"試験を中止します。試験はまだ終わっていません。ウィンドウを閉じると試験は中止として記録され、"
    u"次に起動しても続きからは始められません。設定は保存されません。\n"
    u"本当に閉じますか？";
inline constexpr char16_t internalError[] =
    u"予期しないエラーが起きました（%1）。\n表示と時間はそのまま続けています。";


// The settings file: what the operator is told when a value could not be read
// or the file could not be saved.
inline constexpr char backupFile[] = "Tavrin.cfg.bak";
inline constexpr char16_t cfgTime1[] = u"1問あたりの時間";
inline constexpr char16_t cfgTime2[] = u"移動時間";
inline constexpr char16_t cfgCycle[] = u"問題数";
inline constexpr char16_t cfgCue1[] = u"音のファイル1";
inline constexpr char16_t cfgCue2[] = u"音のファイル2";
inline constexpr char16_t cfgCue3[] = u"音のファイル3";
inline constexpr char16_t cfgMessage1[] = u"移動の表示";
inline constexpr char16_t cfgMessage2[] = u"終了の表示";
inline constexpr char16_t cfgTamasu[] = u"1行の点の数";
inline constexpr char16_t cfgFkc[] = u"文字の大きさの番号";
inline constexpr char16_t cfgBadValue[] =
    u"設定ファイル「%1」の %2 行目の%3「%4」%5。標準の値 %6 を使います。";
inline constexpr char16_t cfgNotANumber[] = u"は数値ではありません";
inline constexpr char16_t cfgOutOfRange[] = u"は範囲外です（-32768 ～ 32767 にしてください）";
inline constexpr char16_t cfgTamasuTooSmall[] = u"は 1 以上でなければなりません";
inline constexpr char16_t cfgFkcOutOfRange[] = u"は 0、1、2 のどれかでなければなりません";
inline constexpr char16_t cfgFieldMissing[] =
    u"設定ファイル「%1」の 1 行目に%2がありません。標準の値 %3 を使います。";
inline constexpr char16_t cfgExtraFields[] =
    u"設定ファイル「%1」の 1 行目の 4 つ目以降の値「%2」は使いません。";
inline constexpr char16_t cfgEmpty[] =
    u"設定ファイル「%1」は空です。すべて標準の値を使います。";
inline constexpr char16_t cfgTooShort[] =
    u"設定ファイル「%1」は %2 行目で終わっています（6 行必要です）。次の値は標準の値を使います：\n%3";
inline constexpr char16_t cfgDefaultItem[] = u"%1 = %2";
inline constexpr char16_t cfgListSeparator[] = u"、";
inline constexpr char16_t cfgBadText[] =
    u"設定ファイル「%1」の %2 行目（%3）に Shift-JIS として読めない文字があります。"
    u"正しく表示されないかもしれません。保存するときは、この行を読んだとおりに書き戻します。";
inline constexpr char16_t cfgTrailing[] =
    u"設定ファイル「%1」の %2 行目から後「%3」は使いません。";
inline constexpr char16_t cfgUnreadable[] =
    u"設定ファイル「%1」を読めませんでした（%2）。すべて標準の値を使います。";
inline constexpr char16_t cfgTooLarge[] = u"1 MiB を超える大きさです";
inline constexpr char16_t cfgKeepOriginal[] =
    u"［終了］で保存するときは、今の設定ファイルを「%1」に写してから上書きします。"
    u"設定ファイルを直すときは、このプログラムを閉じてから直してください。";
inline constexpr char16_t cfgBackupFailed[] =
    u"元のファイルの控え「%1」を作れません。設定ファイルは元のままです。詳細: %2";
inline constexpr char16_t cfgOpenFailed[] =
    u"設定ファイルを書き込み用に開けません。フォルダーがあるか、同じ名前のフォルダーがないか、"
    u"書き込めるかを確かめてください。設定ファイルは元のままです。詳細: %1";
inline constexpr char16_t cfgWriteFailed[] =
    u"書き込みに失敗しました。ディスクの空きを確かめてください。設定ファイルは元のままです。詳細: %1";
inline constexpr char16_t cfgReplaceFailed[] =
    u"書き込んだ内容で設定ファイルを置き換えられません。設定ファイルは元のままです。詳細: %1";

// The cue players: what the operator is told of the sounds.

inline constexpr char16_t soundNoOutput[] =
    u"音を出す装置が使えないため、合図の音が鳴りません。試験はそのまま進みます。\n"
    u"スピーカーなどの出力装置や音声の設定を確かめてください。使えるようになると、"
    u"次の合図から音が戻ります（起動し直す必要はありません）。\n（%1）";

// Once, at the first cue that the output came too late for.
inline constexpr char16_t soundCueMissed[] =
    u"音を出す装置の準備が間に合わず、合図の音が遅れて鳴ったか、鳴りませんでした。試験はそのまま進みます。\n"
    u"どの合図かは記録（F7）に残ります。たびたび起きるときは、スピーカーなどの出力装置や"
    u"音声の設定を確かめてください。";

inline constexpr char16_t soundFallbackHead[] =
    u"次の音声ファイルは使えないため、代わりに内蔵の合図音を鳴らします。";
inline constexpr char16_t soundFallbackItem[] = u"・%1（%2）: %3";
inline constexpr char16_t soundFallbackFoot[] =
    u"試験はこのまま進められます。ファイルを用意してプログラムを起動し直すと、"
    u"そのファイルの音が使われます。";
inline constexpr char16_t soundBuiltinAlsoFailed[] =
    u"%1。内蔵の合図音も使えないため、この合図は鳴りません";

inline constexpr char16_t soundNoOutputReason[] = u"音を出す装置が使えません";
inline constexpr char16_t soundServerSilent[] = u"音声サーバーが %1 秒たっても応答しません";
inline constexpr char16_t soundMissing[] = u"見つかりません";
inline constexpr char16_t soundNotAFile[] = u"ファイルではありません";
inline constexpr char16_t soundUnreadable[] = u"読み取れません";
inline constexpr char16_t soundTooLarge[] = u"大きすぎます";
inline constexpr char16_t soundUndecodable[] = u"音声ファイルとして読めません";
inline constexpr char16_t soundNoName[] = u"ファイル名が空なので、この合図は鳴らしません";

// The players' roles, as the operator knows them.
inline constexpr char16_t soundRole1[] = u"残り数秒の合図";
inline constexpr char16_t soundRole2[] = u"解答時間終了の合図";
inline constexpr char16_t soundRole3[] = u"試験終了の合図";
inline constexpr char16_t soundRole4[] = u"入力確認のチャイム";


// The window's own captions.
inline constexpr char16_t label1[] = u"１問あたり";
inline constexpr char16_t label2[] = u"移動時間";
inline constexpr char16_t label3[] = u"問題数";
inline constexpr char16_t label7[] = u"合計";
inline constexpr char16_t label9[] = u"（";
inline constexpr char16_t label10[] = u"＋";
inline constexpr char16_t label13[] = u"）";
inline constexpr char16_t label11[] = u"×";
inline constexpr char16_t label12[] = u"＝";
inline constexpr char16_t labelSeconds[] = u"秒";  // Label4, Label5, Label8
inline constexpr char16_t labelQuestions[] = u"問"; // Label6
inline constexpr char16_t label14[] = u"0";
inline constexpr char16_t label16[] = u"問目";
inline constexpr char16_t label18[] = u"フォント係数";
// The entries of the font factor list, in the order of kFontFactors.
inline constexpr char16_t fontFactorItems[3][5] = {u"1.00", u"1.25", u"1.50"};
inline constexpr char16_t combo1Text[] = u"Combo1";

// Saving at exit, when the settings file cannot be written as usual.
inline constexpr char16_t saveFailedTitle[] = u"設定を保存できません";
inline constexpr char16_t saveRetry[] = u"もう一度保存";
inline constexpr char16_t saveDiscard[] = u"保存せずに終了";
inline constexpr char16_t saveBack[] = u"ウィンドウに戻る";
inline constexpr char16_t saveWithoutCopy[] = u"控えを残さずに上書き";
inline constexpr char16_t cfgReadBackDiffers[] = u"書き込んだ内容を読み戻すと違っていました";
inline constexpr char16_t cfgDamaged[] =
    u"書き込みに失敗し、元の内容にも戻せませんでした。設定ファイルは途中までしか書かれていないかもしれません。"
    u"［もう一度保存］で書き直してください。詳細: %1";

// Why the screen must stay on, as the desktop shows it.
inline constexpr char16_t screenKeeperReason[] = u"試験の実施中";

// The room display and the sound check.
inline constexpr char16_t roomTitle[] = u"部屋の表示 - Tavrin";
inline constexpr char16_t roomShow[] = u"部屋の表示";
inline constexpr char16_t roomScreen[] = u"部屋の表示の画面";
inline constexpr char16_t roomScreenAuto[] = u"自動（操作画面のない、いちばん大きい画面）";
inline constexpr char16_t roomScreenItem[] = u"%1（%2 × %3）";
inline constexpr char16_t roomSecondsLeft[] = u"部屋の表示に残り秒数を出す";
inline constexpr char16_t secondsLeft[] = u"残り%1秒";
// The options file, whichever part writes it: what was refused, what to do.
inline constexpr char16_t optionsNotSaved[] = u"設定ファイル %1 に保存できませんでした。%2";
inline constexpr char16_t optionsAccessError[] =
    u"書き込めません（%1）。作業フォルダーとそのファイルに書き込めるか確かめてください。";
inline constexpr char16_t optionsFormatError[] =
    u"ファイルの形式が正しくありません。中身を確かめるか別の名前に移してから、もう一度設定してください。";
inline constexpr char16_t optionsLinkRefused[] =
    u"その場所にシンボリックリンクが置かれているので、たどらずにやめました。"
    u"リンクを消してから（ふつうのファイルを置くか、何も置かずに）、もう一度設定してください。";
inline constexpr char16_t optionsNotAFile[] =
    u"その場所にあるのはふつうのファイルではありません。それを移すか消してから、もう一度設定してください。";
inline constexpr char16_t optionsNotOurs[] =
    u"ファイルの持ち主が別のユーザーなので、書き換えませんでした。"
    u"自分の作業フォルダーで Tavrin を起動するか、持ち主にファイルを移してもらってください。";
inline constexpr char16_t optionsKeptForNow[] = u"今の選択はこのプログラムを閉じるまで使えます。";

inline constexpr char16_t soundCheck[] = u"音の確認";
inline constexpr char16_t soundCheckIntro[] = u"4 つの合図を順に鳴らします。聞こえるか確かめてください。";
inline constexpr char16_t soundCheckWaiting[] = u"これから鳴らします";
inline constexpr char16_t soundCheckPlaying[] = u"鳴らしています…";
inline constexpr char16_t soundCheckOwnFile[] = u"設定のファイルの音を鳴らしました（%1）";
inline constexpr char16_t soundCheckBuiltIn[] = u"内蔵の合図音を鳴らしました（%1: %2）";
inline constexpr char16_t soundCheckSilent[] = u"鳴りません（%1）";
inline constexpr char16_t soundCheckNotOpen[] = u"鳴りません（合図の準備ができていません）";
inline constexpr char16_t soundCheckStopped[] = u"試験が始まったので、確認を止めました";
inline constexpr char16_t soundCheckAgain[] = u"もう一度鳴らす";
inline constexpr char16_t soundCheckClose[] = u"閉じる";

// The journal of every run: its faults, the question after an interruption,
// the record window and its CSV file.
inline constexpr char16_t journalCannotOpen[] =
    u"試験の記録ファイル「%1」を開けません（%2）。\n"
    u"試験はこのまま行えますが、記録は残りません。途中で止まった試験の再開もできません。";
inline constexpr char16_t journalNoDriver[] = u"SQLite のドライバーがありません";
inline constexpr char16_t journalNoFolder[] = u"フォルダーがありません";
inline constexpr char16_t journalFolderReadOnly[] = u"フォルダーに書き込めません";
inline constexpr char16_t journalNotAFile[] = u"同じ名前のフォルダーなどがあります";
inline constexpr char16_t journalSymlink[] =
    u"「%1」の場所にシンボリックリンクが置かれているので、たどらずに使いませんでした。"
    u"リンクを消してから起動し直してください";
inline constexpr char16_t journalLocked[] =
    u"このフォルダーでは別の Tavrin（プロセス番号 %1）が動いていて、試験の記録ファイル「%2」を使っています。\n"
    u"このウィンドウの試験は記録されず、前の試験の再開もしません。"
    u"別の Tavrin を閉じてから起動し直すか、別のフォルダーで起動してください。";
inline constexpr char16_t journalReadOnly[] =
    u"試験の記録ファイル「%1」は読み取り専用のため書き込めません。ファイルはそのままにします。\n"
    u"試験はこのまま行えますが、記録は残りません。記録するには、書き込めるようにしてから起動し直してください。";
inline constexpr char16_t journalFuture[] =
    u"試験の記録ファイル「%1」は新しい版の Tavrin のもの（形式 %2）で、この版（形式 %3 まで）では使えません。"
    u"ファイルはそのままにします。\n試験はこのまま行えますが、記録は残りません。";
inline constexpr char16_t journalFutureShort[] = u"新しい版の Tavrin のもの（形式 %1）です";
inline constexpr char16_t journalDamaged[] =
    u"試験の記録ファイル「%1」は壊れていたため（%2）、「%3」という名前で残し、新しい記録ファイルを作りました。\n"
    u"前の試験の続きはできませんが、これからの試験は記録されます。";
inline constexpr char16_t journalDamagedNoFresh[] =
    u"試験の記録ファイル「%1」は壊れていて（%2）、新しい記録ファイルも作れませんでした（%3）。\n"
    u"試験はこのまま行えますが、記録は残りません。";
inline constexpr char16_t journalNotOurs[] = u"Tavrin の記録ファイルではありません";
inline constexpr char16_t journalWriteFailed[] =
    u"試験の記録ファイル「%1」に書き込めなくなりました（%2）。\n"
    u"試験はこのまま続いていますが、ここから先は記録されません。";
inline constexpr char16_t journalFull[] =
    u"ディスクがいっぱいのため、試験の記録ファイル「%1」に書き込めなくなりました。\n"
    u"試験はこのまま続いていますが、ここから先は記録されません。";
inline constexpr char16_t journalVanished[] =
    u"試験の記録ファイル「%1」がなくなったため、新しい記録ファイルを作って記録を続けます。"
    u"それまでの記録はなくなりました。";
inline constexpr char16_t journalVanishedNoFresh[] =
    u"試験の記録ファイル「%1」がなくなり、作り直すこともできません（%2）。\n"
    u"試験はこのまま続いていますが、ここから先は記録されません。";
inline constexpr char16_t journalLockedShort[] = u"別の Tavrin（プロセス番号 %1）が使っています";
inline constexpr char16_t journalUnreadableRun[] =
    u"試験の記録ファイルにある前の試験の状態を読めないため、その試験の続きはできません。";

// After an interruption.
inline constexpr char16_t resumeTitle[] = u"前の試験が途中で止まっています";
inline constexpr char16_t resumeHead[] = u"前の試験は終わらないまま止まりました%1。";
inline constexpr char16_t resumeByClose[] = u"（ウィンドウを閉じて終わりました）";
inline constexpr char16_t resumeTimes[] = u"時間: 1問あたり %1 秒、移動 %2 秒、%3 問";
inline constexpr char16_t resumeStopped[] = u"止まった時刻: %1";
inline constexpr char16_t resumeLastRunning[] = u"最後の記録: %1（進行中）";
inline constexpr char16_t resumeLastPaused[] = u"最後の記録: %1（中断中）";
inline constexpr char16_t resumeNowRunning[] = u"続けていれば今は: %1";
inline constexpr char16_t resumeNowEnded[] = u"続けていれば試験は %1 に終わっています。";
inline constexpr char16_t resumeWhereAnswering[] = u"第 %1 問の解答時間 %2 秒目";
inline constexpr char16_t resumeWhereMoving[] = u"第 %1 問の移動時間 %2 秒目";
inline constexpr char16_t resumeWhereBefore[] = u"第 %1 問の始まる前";
inline constexpr char16_t resumeFromNow[] = u"今の位置から続ける";
inline constexpr char16_t resumePaused[] = u"止まった位置で中断して続ける";
inline constexpr char16_t resumeStillPaused[] = u"中断したまま続ける";
inline constexpr char16_t resumeShowEnd[] = u"試験終了を表示する";
inline constexpr char16_t resumeNot[] = u"続けない";
inline constexpr char16_t resumeAfresh[] = u"新しく始める";
inline constexpr char16_t resumedNow[] = u"止まった試験を今の位置から続けました";
inline constexpr char16_t resumedPaused[] = u"止まった試験を止まった位置で中断して続けました";
inline constexpr char16_t resumedEnd[] = u"止まった試験は終わっていたため、試験終了を表示しました";
inline constexpr char16_t abandoned[] = u"止まった試験を続けませんでした";
inline constexpr char16_t abandonedAfterEnd[] = u"止まった試験は終わっていたため、新しく始めました";
// A programme's part as it begins, in the record: number, what it is, and
// its due and actual clock times.
inline constexpr char16_t partDetail[] = u"第 %1 部：%2（予定 %3、実際 %4）";
inline constexpr char16_t partBreak[] = u"休憩 %1 秒";
inline constexpr char16_t partBlock[] = u"%1 問 × (解答 %2 秒＋移動 %3 秒、読む時間 %4 秒)";
inline constexpr char16_t abandonedForOther[] = u"操作卓の試験に合わせたため、止まった試験は続けませんでした";

// The record window and its CSV file.
inline constexpr char16_t recordAction[] = u"試験の記録...";
inline constexpr char16_t recordTitle[] = u"試験の記録 - Tavrin";
inline constexpr char16_t recordSave[] = u"CSV で保存...";
inline constexpr char16_t recordRefresh[] = u"最新にする";
inline constexpr char16_t recordClose[] = u"閉じる";
inline constexpr char16_t recordSaveTitle[] = u"試験の記録を CSV で保存";
inline constexpr char16_t recordSaveFilter[] = u"CSV ファイル (*.csv)";
inline constexpr char16_t recordSaveName[] = u"試験の記録.csv";
inline constexpr char16_t recordSaved[] = u"「%1」に %2 件を保存しました。";
inline constexpr char16_t recordSaveFailed[] = u"「%1」に保存できませんでした（%2）。別の場所を選んでください。";
inline constexpr char16_t recordRows[] = u"%1 件";
inline constexpr char16_t recordUnavailable[] = u"試験の記録ファイルが使えないため、記録を表示できません。";
inline constexpr char16_t recordReadFailed[] = u"試験の記録を読めませんでした（%1）。";
inline constexpr char16_t recordColumns[9][7] = {u"試験", u"時刻", u"出来事", u"問", u"秒",
                                                 u"1問あたり", u"移動時間", u"問題数", u"内容"};
// The events, by the key the journal stores.
struct EventName {
    const char *key;
    const char16_t *name;
};
inline constexpr EventName eventNames[] = {
    {"part", u"部分の始まり"},
    {"program-start", u"起動"},   {"start", u"開始"},          {"pause", u"中断"},
    {"resume", u"再開"},          {"reset", u"リセット"},      {"question", u"問題の始まり"},
    {"cue", u"合図の音"},         {"end", u"試験終了"},        {"time-entry", u"時間の入力"},
    {"font-factor", u"フォント係数"}, {"adopted", u"状態の引き継ぎ"}, {"exit", u"終了"},
    {"notice", u"お知らせ"},      {"close", u"ウィンドウを閉じた"}, {"abandon", u"続けない"},
    {"abort", u"試験の中止"},     {"system-end", u"システムによる終了"}, {"cue-late", u"遅れた合図"},
    {"cue-dropped", u"鳴らなかった合図"}, {"end-repeated", u"試験終了のくり返し"},
};
inline constexpr char16_t cueOwnFile[] = u"合図 %1（%2）: %3";
inline constexpr char16_t cueBuiltIn[] = u"合図 %1（%2）: 内蔵の音（%3）";
inline constexpr char16_t cueSilent[] = u"合図 %1（%2）: 鳴らず（%3）";
inline constexpr char16_t cueLateDetail[] = u"合図 %1（%2）: 音の出力が間に合わず、%3 ms 遅れて鳴りました";
inline constexpr char16_t cueDroppedDetail[] = u"合図 %1（%2）: 音の出力が間に合わず、鳴りませんでした";
// A number of questions below zero, outside a run: the end after the first.
inline constexpr char16_t endRepeatedDetail[] = u"試験終了の表示と合図 %1（%2）が、このあと %3 回くり返されました";
// The proof of the cues: what each room reported it played, on the
// controller's clock. Deviation: how far it started from its second plus the
// fixed delay every cue has.
inline constexpr char16_t cueProofEvent[] = u"合図の報告";
inline constexpr char16_t cueProofUnheardEvent[] = u"鳴らなかった合図";
inline constexpr char16_t cueProofMissingEvent[] = u"報告のない合図";
inline constexpr char16_t cueProofSummaryEvent[] = u"部屋ごとのずれ";
inline constexpr char16_t cueProofController[] = u"この管理用のTavrin";
inline constexpr char16_t cueProofRoom[] = u"部屋 %1";
inline constexpr char16_t cueProofPlayed[] = u"%1: 合図 %2（%3） %4 に鳴り始め、ずれ %5 ms（時計の差 %6 ms、%7）";
inline constexpr char16_t cueProofUnheard[] = u"%1: 合図 %2（%3） 音が出ませんでした";
inline constexpr char16_t cueProofMissing[] =
    u"%1: 合図 %2（%3） この部屋から報告がありません。鳴らなかったか、報告が届いていません";
inline constexpr char16_t cueProofSummary[] = u"%1: 合図 %2 件、いちばん大きなずれ %3、鳴らなかった（または報告のない）合図 %4 件";
inline constexpr char16_t cueProofLargest[] = u"%1 ms（%2 問目 %3 秒の合図 %4）";
inline constexpr char16_t cueProofNoneHeard[] = u"なし（どの合図も音が出ていません）";
inline constexpr char16_t cueProofOwn[] = u"指定の音声ファイル";
inline constexpr char16_t cueProofBuiltin[] = u"内蔵の音";
inline constexpr char16_t cueProofSilent[] = u"音なし";
inline constexpr char16_t timeEntryDetail[] = u"%1, %2, %3 → %4, %5, %6";
inline constexpr char16_t fontFactorDetail[] = u"%1 → %2";
inline constexpr char16_t closedByWindow[] = u"ウィンドウを閉じて終わりました";
inline constexpr char16_t abortedByClose[] = u"試験中にウィンドウを閉じ、試験を中止しました";
inline constexpr char16_t endedBySystem[] = u"システムから終了を求められて（%1）終わりました。試験は次の起動で続けられます";
// Why the journal could not be used, as the operator is told; the SQLite
// message follows for whoever looks further.
inline constexpr char16_t sqlIoError[] = u"ディスクの読み書きでエラーが起きました";
inline constexpr char16_t sqlReadOnly[] = u"書き込みが禁止されています";
inline constexpr char16_t sqlCorrupt[] = u"ファイルが壊れています";
inline constexpr char16_t sqlNotADatabase[] = u"SQLite のファイルではありません";
inline constexpr char16_t sqlCantOpen[] = u"ファイルを開けません";
inline constexpr char16_t sqlBusy[] = u"ほかのプログラムが使っています";
inline constexpr char16_t sqlFull[] = u"ディスクがいっぱいです";
inline constexpr char16_t sqlCheckFailed[] = u"中身の検査で誤りが見つかりました";
inline constexpr char16_t sqlOther[] = u"SQLite のエラーです";
inline constexpr char16_t sqlReason[] = u"%1: %2";

// ---- Many rooms: one examination followed by the Tavrins of other rooms ----

// Entries for the record.
inline constexpr char16_t roomsConnected[] = u"ブローカー %1 に接続しました。";
inline constexpr char16_t roomsDisconnected[] =
    u"ブローカー %1 に接続していません（%2）。試験はこのプログラムの時計で続けます。";
inline constexpr char16_t roomsRefused[] = u"%1 に届いたメッセージを使いませんでした。%2（%3）。";
inline constexpr char16_t roomsRefusedMore[] = u"同じ理由で使わなかったものが、ほかに %1 件ありました。";
inline constexpr char16_t roomsTooLarge[] = u"大きすぎます";
inline constexpr char16_t roomsMalformed[] = u"形式が正しくありません";
inline constexpr char16_t roomsOtherVersion[] = u"別の版の Tavrin のものです";
inline constexpr char16_t roomsOtherExam[] = u"別の試験か別の部屋のものです";
inline constexpr char16_t roomsNotFromController[] = u"この試験の操作卓から送られたものではありません";
inline constexpr char16_t roomsBadValue[] = u"値が試験で使えるものではありません";
inline constexpr char16_t roomsUnsigned[] = u"この試験の鍵による署名がないか、署名が正しくありません（偽造の疑い）";
inline constexpr char16_t roomsReplayed[] = u"古いか順番の合わないメッセージです（再送の疑い）";
inline constexpr char16_t roomsOtherKey[] = u"この部屋として承認した鍵とは別の鍵で署名されています（なりすましの疑い）";
inline constexpr char16_t roomsOwnNameForged[] = u"この操作卓が送っていないメッセージが、この操作卓の名前で届きました（なりすまし）。状態を送り直しました。部屋の表示を確かめてください。";
inline constexpr char16_t roomsLineOldVersion[] = u"⚠ 古い版の Tavrin からのメッセージを拒否しました。すべての PC を同じ版にしてください";
inline constexpr char16_t roomsLineOwnNameForged[] = u"⚠ この操作卓の名前で偽のメッセージ";
inline constexpr char16_t roomsLineExamKey[] = u"鍵 %1";
inline constexpr char16_t roomsStatusExamKey[] = u"試験の鍵：%1（操作卓と部屋で同じか、目で確かめてください）";
inline constexpr char16_t roomsKeyUnapproved[] = u"（鍵 未承認 %1）";
inline constexpr char16_t readyApproveButton[] = u"選んだ部屋の鍵を承認";
inline constexpr char16_t roomsKeyApprovedRecord[] = u"部屋 %1 の鍵 %2 を承認しました。これからはほかの鍵で署名された %1 のメッセージを拒否します。";
inline constexpr char16_t roomsKeysSaveFailed[] = u"部屋の鍵の承認を保存できませんでした（%1）。承認はこの起動の間だけ有効です。フォルダに書き込めるか確かめてください。";
inline constexpr char16_t roomsKeysReadFailed[] = u"承認した部屋の鍵のファイルを読めませんでした（%1）。部屋の鍵を状況の一覧で承認し直してください。";
inline constexpr char16_t roomsTooMany[] = u"送られてくる数が多すぎます";
inline constexpr char16_t roomsNotFollowed[] = u"いま従っている操作卓とは別の操作卓からのものです";
inline constexpr char16_t roomsRefusedFrom[] =
    u"%1 に届いたメッセージを使いませんでした。%2（%3、送り手 %4）。同じ送り手からの同じ理由のものは、以後は件数だけを数えます。";
inline constexpr char16_t roomsLeadTaken[] =
    u"別の操作卓（%1）が %2 にこの試験を引き継ぎました。この操作卓はもう部屋を進めません。";
inline constexpr char16_t roomsLeaderGone[] =
    u"試験を進めていた操作卓の接続が切れたため、この操作卓が試験を引き継ぎました（%1 問目、%2 秒）。";
inline constexpr char16_t roomsRoomJoined[] = u"部屋「%1」が接続しました。";
inline constexpr char16_t roomsRoomLeft[] = u"部屋「%1」の接続が切れました。";
inline constexpr char16_t roomsRoomBuiltinCues[] =
    u"部屋「%1」では、合図が音声ファイルのとおりには鳴りません（%2）。";
inline constexpr char16_t roomsAdopted[] = u"操作卓の試験に合わせました（%1 問目、%2 秒）。";
inline constexpr char16_t roomsControllerChanged[] = u"操作卓が替わりました。新しい操作卓に従います。";
inline constexpr char16_t roomsOtherController[] =
    u"試験「%1」の操作卓として、ほかの Tavrin も名乗り出ています。操作卓は 1 台にしてください。";
inline constexpr char16_t roomsNoOffset[] =
    u"操作卓から時刻の応答がないため、時計の差を 0 として合わせました。";
inline constexpr char16_t roomsKeptRun[] =
    u"ブローカーから試験の状態が届かないため、この部屋で記録していた試験を続けます。";
inline constexpr char16_t roomsTookOver[] = u"ブローカーに残っていた試験を引き継ぎました（%1 問目、%2 秒）。";
inline constexpr char16_t roomsAbortedByController[] =
    u"操作卓のウィンドウが試験中に閉じられ、試験は中止されました。この部屋の試験も中止として記録し、止めました。";
inline constexpr char16_t roomsAbortNotSent[] =
    u"ブローカーにつながっていないため、部屋には試験の中止を伝えられませんでした。部屋では試験が続いています。";

// The line under the buttons that says what this Tavrin is.
inline constexpr char16_t roomsLineController[] = u"操作卓「%1」　部屋 %2/%3 接続中";
inline constexpr char16_t roomsLineControllerWaiting[] = u"操作卓「%1」　ブローカーの確認中";
inline constexpr char16_t roomsLineRoom[] = u"部屋「%1」：操作卓に連動　時刻差 %2";
inline constexpr char16_t roomsLineRoomWaiting[] = u"部屋「%1」：操作卓を待っています";
inline constexpr char16_t roomsLineControllerStandby[] = u"操作卓「%1」　待機中（%2 が進行中）";
inline constexpr char16_t roomsLineRefused[] = u"⚠ 不正なメッセージを %1 件拒否";
inline constexpr char16_t roomsLineFollowOther[] = u"⚠ 別の操作卓に従う部屋：%1";
inline constexpr char16_t roomsLineNoBroker[] = u"● 接続なし（この時計で継続）";
inline constexpr char16_t roomsLineClockUnanswered[] = u"⚠ 時刻の答えが届きません";
inline constexpr char16_t roomsClockUnanswered[] =
    u"操作卓から時刻の答えが届かないため、操作卓との時刻差を測れません（時計は等しいとみなして続けます）。"
    u"ブローカーのブリッジが時刻のトピック（clock と rooms/部屋/clock）と MQTT 5 の属性（応答先と相関データ）を通すか"
    u"（Mosquitto では bridge_protocol_version mqttv50）確かめてください。";
inline constexpr char16_t roomsLineNoController[] = u"○ 操作卓が接続していません（この時計で継続）";
inline constexpr char16_t roomsOffsetShort[] = u"%1 ms";
inline constexpr char16_t roomsOffsetUnknown[] = u"未測定";
inline constexpr char16_t roomsTitleController[] = u"　— 試験「%1」の操作卓";
inline constexpr char16_t roomsTitleRoom[] = u"　— 部屋「%1」（試験「%2」の操作卓に連動）";

// Another controller leads the same examination.
inline constexpr char16_t roomsOtherLeadsTitle[] = u"別の操作卓が試験を進めています";
inline constexpr char16_t roomsOtherLeadsQuestion[] =
    u"試験「%1」は、別の操作卓（%2）が %3 から進めています。\n\n"
    u"この操作卓で引き継ぐと、部屋はこの操作卓に従い、試験は今の問題と秒のまま続きます。もう一方の操作卓にはそのことが伝えられます。\n"
    u"引き継がなければ、この操作卓は待機し、部屋を進めません。\n\n引き継ぎますか？";
inline constexpr char16_t roomsTakeOverYes[] = u"引き継ぐ";
inline constexpr char16_t roomsTakeOverNo[] = u"引き継がない（待機する）";

// The rooms' status (F8).
inline constexpr char16_t roomsStatusAction[] = u"部屋の状態(&R)";
inline constexpr char16_t roomsSetupAction[] = u"部屋と接続の設定(&N)…";
inline constexpr char16_t roomsStatusTitle[] = u"部屋の状態";
inline constexpr char16_t roomsStatusNone[] = u"この Tavrin は部屋と連動していません。右クリックの「部屋と接続の設定」で設定できます。";
inline constexpr char16_t roomsStatusHeadController[] = u"試験「%1」の操作卓　ブローカー %2：%3";
inline constexpr char16_t roomsStatusHeadRoom[] = u"試験「%1」の部屋「%2」　ブローカー %3：%4　操作卓：%5　時刻差：%6";
inline constexpr char16_t roomsStatusConnectedSince[] = u"接続中（%1 から）";
inline constexpr char16_t roomsStatusDisconnectedSince[] = u"接続なし（%1 から）";
inline constexpr char16_t roomsStatusControllerOnline[] = u"接続中";
inline constexpr char16_t roomsStatusControllerOffline[] = u"接続なし";
inline constexpr char16_t roomsColumns[] = u"部屋\t接続\t表示中の問題\t秒\t時刻差\t往復\t合図の音\t従う操作卓\t準備";
inline constexpr char16_t roomsFollowsThis[] = u"この操作卓";
inline constexpr char16_t roomsFollowsOther[] = u"別の操作卓 %1";
inline constexpr char16_t roomsFollowsNone[] = u"なし";
inline constexpr char16_t roomsYes[] = u"接続中";
inline constexpr char16_t roomsNo[] = u"切断";
inline constexpr char16_t roomsSilentTooLong[] = u"応答なし";
inline constexpr char16_t roomsSince[] = u"%1（%2 から）";
inline constexpr char16_t roomsQuestionState[] = u"%1（%2）";
inline constexpr char16_t roomsOffsetWithTrip[] = u"%1（往復 %2）";
inline constexpr char16_t roomsMs[] = u"%1 ms";
inline constexpr char16_t roomsCuesOwn[] = u"自分のファイル";
inline constexpr char16_t roomsCuesBuiltin[] = u"内蔵の音：%1";
inline constexpr char16_t roomsCuesSilent[] = u"鳴らない：%1";
inline constexpr char16_t roomsCuesUnknown[] = u"不明：%1";
inline constexpr char16_t roomsStateIdle[] = u"開始前";
inline constexpr char16_t roomsStateRunning[] = u"実行中";
inline constexpr char16_t roomsStatePaused[] = u"中断中";
inline constexpr char16_t roomsStateFinished[] = u"終了";
inline constexpr char16_t roomsClose[] = u"閉じる";
inline constexpr char16_t roomsCancel[] = u"キャンセル";

// The setup dialog.
inline constexpr char16_t roomsSetupTitle[] = u"部屋と接続の設定";
inline constexpr char16_t roomsRoleLabel[] = u"この Tavrin の役割";
inline constexpr char16_t roomsRoleNone[] = u"1 部屋だけで使う（ネットワークを使わない）";
inline constexpr char16_t roomsRoleController[] = u"操作卓（試験を進める）";
inline constexpr char16_t roomsRoleRoom[] = u"部屋（操作卓に連動して表示し、音を鳴らす）";
inline constexpr char16_t roomsExamLabel[] = u"試験の名前";
inline constexpr char16_t roomsRoomLabel[] = u"部屋の名前";
inline constexpr char16_t roomsHostLabel[] = u"ブローカーのホスト";
inline constexpr char16_t roomsPortLabel[] = u"ポート";
inline constexpr char16_t roomsUserLabel[] = u"ユーザー名";
inline constexpr char16_t roomsPasswordLabel[] = u"パスワード";
inline constexpr char16_t roomsTlsLabel[] = u"TLS で暗号化する";
inline constexpr char16_t roomsCaLabel[] = u"CA 証明書ファイル（空欄: システムの証明書）";
inline constexpr char16_t roomsCertLabel[] = u"クライアント証明書ファイル";
inline constexpr char16_t roomsKeyLabel[] = u"クライアント秘密鍵ファイル";
inline constexpr char16_t roomsInsecureLabel[] = u"ブローカーのホスト名を確かめない（試験用）";
inline constexpr char16_t roomsPrivateLabel[] = u"この PC で専用のブローカー（mosquitto）を起動する";
inline constexpr char16_t roomsBrowse[] = u"…";
inline constexpr char16_t roomsPassphraseLabel[] = u"操作卓の合言葉（その都度入力し、保存しません）";
inline constexpr char16_t roomsPrivateRoomsLabel[] = u"専用ブローカーに入れる部屋（カンマ区切り）";
inline constexpr char16_t roomsListenLabel[] = u"待ち受けるアドレス（空欄: この PC だけ）";
inline constexpr char16_t roomsListenLan[] = u"LAN";
inline constexpr char16_t roomsServerCertLabel[] = u"専用ブローカーの証明書ファイル（TLS）";
inline constexpr char16_t roomsServerKeyLabel[] = u"専用ブローカーの秘密鍵ファイル（TLS）";
inline constexpr char16_t roomsSetupNote[] =
    u"設定は作業フォルダーの Tavrin-options.ini に、持ち主だけが読めるように保存され、OK を押すとすぐに使われます。"
    u"合言葉があってユーザー名とパスワードが空欄なら、部屋の名前（操作卓は tavrin-controller）と合言葉から作ったパスワードで"
    u"ブローカーに入ります。専用のブローカーはその入り方だけを受け付けます。";
inline constexpr char16_t roomsBadExamName[] =
    u"試験の名前は 1 ～ 40 文字で、/ + # と制御文字を含まず、前後に空白のないものにしてください。";
inline constexpr char16_t roomsBadRoomName[] =
    u"部屋の名前は 1 ～ 40 文字で、/ + # と制御文字を含まず、前後に空白のないものにしてください。";
inline constexpr char16_t roomsBadHost[] = u"ブローカーのホストを入力してください。";
inline constexpr char16_t roomsSaveFailed[] = u"部屋と接続の設定は変えていません。";
inline constexpr char16_t roomsTlsFileUnreadable[] = u"TLS のファイル %1 を使えません（%2）";
inline constexpr char16_t roomsStartFailed[] =
    u"ブローカーへの接続を始められませんでした（%1）。この Tavrin は 1 部屋で動いています。"
    u"右クリックの「部屋と接続の設定」で設定を確かめてください。";

// The controller found a run under way on the broker after a restart.
inline constexpr char16_t roomsResumeTitle[] = u"続きの試験があります";
inline constexpr char16_t roomsResumeQuestion[] =
    u"ブローカーには、試験「%1」が途中の状態で残っています（%2 問目、%3 秒、%4）。"
    u"各部屋はその試験を続けています。\n\n"
    u"この操作卓で続きを進めますか？\n"
    u"［開始前に戻す］を選ぶと、各部屋もこの操作卓と同じ開始前の状態に戻ります。";
inline constexpr char16_t roomsResumeYes[] = u"続きを進める";
inline constexpr char16_t roomsResumeNo[] = u"開始前に戻す";

// The private broker.
inline constexpr char16_t roomsNoMosquitto[] =
    u"専用のブローカーを起動できません（mosquitto がインストールされていないか、起動に失敗しました: %1）。"
    u"別のブローカーを指定するか、mosquitto をインストールしてください。";

inline constexpr char16_t privateBrokerRefused[] =
    u"専用のブローカーを起動しませんでした：%1。右クリックの「部屋と接続の設定」で直してください。";
inline constexpr char16_t privateBrokerBadRoom[] =
    u"部屋の名前「%1」は専用のブローカーでは使えません（部屋の名前として使えるもので、「:」を含まず、「%2」でないもの）";
inline constexpr char16_t privateBrokerBadAddress[] = u"待ち受けるアドレス「%1」は IP アドレスではありません";
inline constexpr char16_t privateBrokerBadFile[] = u"ファイル名「%1」は使えません（改行と前後の空白を含まないもの）";
inline constexpr char16_t privateBrokerCertAndKey[] = u"TLS には証明書ファイルと秘密鍵ファイルの両方が要ります";

// Files that hold passwords and the key.
inline constexpr char16_t privateFileSymlink[] =
    u"その場所にシンボリックリンクが置かれているので、たどらずに使いませんでした。リンクを消してください。";
inline constexpr char16_t privateFileNotAFile[] = u"ふつうのファイルではありません";
inline constexpr char16_t optionsWereOpen[] =
    u"設定ファイル %1 は、パスワードか試験の合言葉を含むのに、ほかのユーザーも読める状態でした。"
    u"持ち主だけが読めるように直しました。漏れたおそれがあれば、合言葉とパスワードを変えてください。";
inline constexpr char16_t optionsAreOpen[] =
    u"設定ファイル %1 は、パスワードか試験の合言葉を含むのに、ほかのユーザーも読める状態です。"
    u"持ち主が別なので直せません。持ち主に chmod 600 で直してもらってください。";
inline constexpr char16_t keyFileUnreadable[] = u"鍵ファイル %1 を読めません（%2）";
inline constexpr char16_t secretFileTooLarge[] = u"%1 バイトより大きいファイルです";
inline constexpr char16_t secretFileOpen[] =
    u"%1 はほかのユーザーも読めるので使いません。chmod 600 %1 で持ち主だけが読めるようにしてから、もう一度指定してください";
inline constexpr char16_t keyFileNotAKey[] =
    u"%1 は Tavrin の鍵ファイルではないか、壊れているので使いません。正しいファイルを指定してください";
inline constexpr char16_t keyFileNotWritten[] = u"鍵ファイル %1 を書けません（%2）。フォルダーに書き込めるか確かめてください";
// A room's join file (--join FILE).
inline constexpr char16_t joinUnreadable[] = u"参加ファイル %1 を使えません（%2）。操作卓で作り直したファイルを指定してください";
inline constexpr char16_t joinNotWritten[] = u"参加ファイル %1 を書けません（%2）。フォルダーに書き込めるか確かめてください";
inline constexpr char16_t joinTooLarge[] = u"参加ファイルにしては大きすぎます";
inline constexpr char16_t joinNotJoin[] = u"Tavrin の参加ファイルではありません";
inline constexpr char16_t joinOtherVersion[] = u"この版の Tavrin では読めない版の参加ファイルです";
inline constexpr char16_t joinUnknownField[] = u"知らない項目があります";
inline constexpr char16_t joinBadName[] = u"試験か部屋の名前が使えない名前です";
inline constexpr char16_t joinBadKey[] = u"試験の公開鍵が正しくありません";
inline constexpr char16_t joinBadBroker[] = u"ブローカーのアドレス、ポートか証明書の指紋が正しくありません";
inline constexpr char16_t joinBadLogin[] = u"ブローカーのユーザー名かパスワードが正しくありません";
// Where a room's login and the broker's certificate come from.
inline constexpr char16_t brokerLoginsUnreadable[] =
    u"専用ブローカーのログインのファイル %1 を使えません（%2）。消すと、新しいログインで作り直します（参加ファイルも書き出し直してください）";
inline constexpr char16_t brokerLoginsNotWritten[] =
    u"専用ブローカーのログインのファイル %1 を書けません（%2）。フォルダーに書き込めるか確かめてください";
inline constexpr char16_t brokerCertUnusable[] =
    u"専用ブローカーの証明書 %1 を使えません（%2）。証明書と鍵の両方を消すと作り直します（参加ファイルも書き出し直してください）";
inline constexpr char16_t brokerCertNotPem[] = u"PEM の証明書ではありません";
inline constexpr char16_t privateBrokerNoLogin[] = u"「%1」のログインがありません";
inline constexpr char16_t brokerPinMismatch[] =
    u"ブローカーの証明書が参加ファイルの指紋と違うので、接続しませんでした。"
    u"別の PC がブローカーになりすましているおそれがあります。操作卓で参加ファイルを書き出し直して、もう一度 --join で起動してください";
inline constexpr char16_t brokerNotAuthorizedRoom[] =
    u"ブローカーがこの部屋のログインを断りました（%1）。操作卓でこの部屋の参加ファイルを書き出し直し、"
    u"この PC で --join ファイル で起動し直してください";
inline constexpr char16_t brokerLoginRefusedController[] =
    u"専用のブローカーが、ログインできなかった接続を断りました（%1）。"
    u"部屋なら、その部屋を「専用ブローカーに入れる部屋」に加えて、参加ファイルを書き出し直して渡してください";
// Join files written by the controller.
inline constexpr char16_t joinExportAction[] = u"参加ファイルを書き出す…";
inline constexpr char16_t joinExportTitle[] = u"参加ファイルを書き出すフォルダー";
inline constexpr char16_t joinExportNeedsController[] =
    u"参加ファイルは、専用のブローカーを使う操作卓だけが書き出せます。右クリックの「部屋と接続の設定」で設定してください";
inline constexpr char16_t joinExportNoRooms[] =
    u"「専用ブローカーに入れる部屋」に部屋がないので、書き出す参加ファイルがありません";
inline constexpr char16_t joinExportDone[] =
    u"%1 に参加ファイルを %2 個書き出しました。各部屋の PC で「tavrin --join ファイル」と起動してください。"
    u"ファイルにはその部屋のログインが入っているので、ほかの人に渡さないでください";
inline constexpr char16_t joinExportQrTitle[] = u"参加ファイル（%1）";
inline constexpr char16_t joinExportQrNote[] =
    u"部屋の PC で読み取り、持ち主だけが読めるファイル（chmod 600）に保存して --join で指定します。試験の公開鍵の指紋: %1";
inline constexpr char16_t joinNoKey[] = u"試験の鍵がまだ用意できていないので、書き出せませんでした。少し待ってからもう一度試してください";
inline constexpr char16_t joinWrongOptionsSecret[] =
    u"設定ファイル %1 に試験の合言葉かパスワードが残っていました。次に設定を保存するときに消します。"
    u"合言葉は設定画面でその都度入力するか、--key-file の鍵ファイルを使ってください";
inline constexpr char16_t cliJoin[] = u"操作卓が書き出した参加ファイル FILE で、部屋として参加する。";
inline constexpr char16_t roomsExamKeyFileLabel[] = u"操作卓の鍵ファイル（空欄: Tavrin-exam.key）";
inline constexpr char16_t roomsControllerNeedsKey[] =
    u"この PC は部屋なので、操作卓にするには操作卓の合言葉か鍵ファイルをここで指定してください";
inline constexpr char16_t roomsNotTheExamKey[] =
    u"指定された鍵はこの試験の鍵（指紋 %1）ではないので、操作卓になりませんでした。操作卓の合言葉か鍵ファイルを確かめてください";
inline constexpr char16_t roomsTypePassphrase[] =
    u"この試験の操作卓の鍵は合言葉から作るので、保存していません。右クリックの「部屋と接続の設定」で操作卓の合言葉を入力してください";
inline constexpr char16_t cliJoinAlone[] = u"--join は、ほかの試験や接続の指定と一緒には使えません（参加ファイルに全部入っています）";
inline constexpr char16_t secretNotRemoved[] = u"もう使わないファイル %1 を消せません。手で消してください";

// The command line.
inline constexpr char16_t cliDescription[] =
    u"実技試験のタイマー。オプションなしでは 1 部屋で動きます。\n"
    u"--exam と --broker で試験の操作卓として、さらに --room でその試験の部屋として起動します。";
inline constexpr char16_t cliExam[] = u"操作卓または部屋として加わる試験の名前。";
inline constexpr char16_t cliRoom[] = u"部屋 NAME として、操作卓に連動して起動する。";
inline constexpr char16_t cliBroker[] = u"MQTT ブローカーのホストとポート（省略時 1883）。";
inline constexpr char16_t cliPrivateBroker[] = u"操作卓がこの PC で専用の mosquitto を起動する（ポートは --broker のもの）。";
inline constexpr char16_t cliKeyFile[] =
    u"操作卓の試験の秘密鍵を FILE から読む（ないときは作る。持ち主だけが読めるファイル）。省略時は設定ファイルの隣の Tavrin-exam.key。";
inline constexpr char16_t cliFile[] = u"FILE";
inline constexpr char16_t cliName[] = u"NAME";
inline constexpr char16_t cliHostPort[] = u"HOST[:PORT]";
inline constexpr char16_t cliRefused[] =
    u"コマンドラインの指定を使えません：%1\nこの Tavrin は部屋と連動せずに動いています。";
inline constexpr char16_t cliNeedBoth[] = u"--exam と --broker は両方とも指定してください";
inline constexpr char16_t cliBadPort[] = u"ポート「%1」は 1 ～ 65535 の数ではありません";
inline constexpr char16_t cliBadName[] = u"名前「%1」は使えません（1 ～ 40 文字、/ + # と制御文字を含まない）";


// The browser view.
inline constexpr char16_t webShow[] = u"ブラウザに表示";
inline constexpr char16_t webAddressItem[] = u"ブラウザ表示のアドレスと QR コード…";
inline constexpr char16_t webDialogTitle[] = u"ブラウザ表示";
inline constexpr char16_t webDialogOn[] =
    u"同じネットワークのタブレット・スマートフォン・PC のブラウザで、次のアドレスを開いてください"
    u"（QR コードはスマートフォンのカメラで読めます）。画面をタップすると全画面になり、音も鳴ります。";
inline constexpr char16_t webDialogOff[] =
    u"ブラウザ表示は止まっています。右クリックメニューの「ブラウザに表示」で始めてください。";
inline constexpr char16_t webNoNetwork[] =
    u"LAN のアドレスでは表示していません（この PC がネットワークにつながっていないか、[web] の address に LAN のアドレスがありません）。"
    u"ネットワークにつないでからブラウザ表示を始め直すと、ほかの端末から開けます。";
inline constexpr char16_t webNotStarted[] =
    u"ブラウザ表示を始められません（ポート %1：%2）。"
    u"そのポートを使っているプログラムを終了するか、%3 の [web] の port に別のポートを書いてください。"
    u"[web] の address にこの PC のものでないアドレスがあれば、消してください。";
inline constexpr char16_t webBadAddress[] =
    u"ブラウザ表示を始められません：%2 の [web] の address の「%1」はアドレスではありません。"
    u"127.0.0.1, 192.168.1.10 のようにコンマで区切って書くか、address の行を消してください"
    u"（この PC のループバックと LAN のアドレスで表示します）。";
inline constexpr char16_t webCliRefused[] = u"--web の指定を使えません：%1\nブラウザ表示は止まっています。";
inline constexpr char16_t webPages[] = u"開いているページ：%1";
inline constexpr char16_t cliWeb[] =
    u"部屋の表示をブラウザにも出す（--web のあとにポート番号を書けます。省略時は前回のポート、初めは 8765）。";
// What the page itself shows (sent to it when it connects).
inline constexpr char16_t webOffset[] = u"時差 %1 ms（往復 %2 ms）";
inline constexpr char16_t webLost[] = u"● 接続待ち";
inline constexpr char16_t webTap[] = u"タップで全画面・音";
// A start at a time of day (F9, --start-at).
inline constexpr char16_t startAtAction[] = u"開始時刻を予約...";
inline constexpr char16_t startAtCancelAction[] = u"開始時刻の予約を取り消す";
inline constexpr char16_t startAtTitle[] = u"開始時刻の予約";
inline constexpr char16_t startAtPrompt[] =
    u"今日の開始時刻を 時:分 または 時:分:秒 で入力してください（例 09:00）。\n"
    u"その時刻の 0 秒ちょうどに試験が始まります。";
inline constexpr char16_t startAtUnreadable[] =
    u"開始時刻「%1」は読めません。今日の 時:分 または 時:分:秒 で入力してください（例 09:00、13:30:00）。";
inline constexpr char16_t startAtPassed[] =
    u"開始時刻 %1 は今日の時刻としてはもう過ぎています（いまは %2）。予約していません。\n"
    u"日付をまたぐ予約はできません。今日のこれからの時刻を入力してください。";
inline constexpr char16_t startAtNotIdle[] =
    u"試験が進行中のため、開始時刻を予約できません。リセットしてから予約してください。";
inline constexpr char16_t startAtRoom[] =
    u"この Tavrin は部屋として操作卓に連動しています。開始時刻は操作卓で予約してください。";
inline constexpr char16_t startAtSet[] = u"開始時刻 %1 を予約しました。";
inline constexpr char16_t startAtKept[] = u"予約されていた開始時刻 %1 を引き続き待ちます。";
inline constexpr char16_t startAtCancelled[] = u"開始時刻 %1 の予約を取り消しました。";
inline constexpr char16_t startAtFromController[] = u"操作卓が開始時刻 %1 を予約しました。";
inline constexpr char16_t startAtCancelledByController[] = u"操作卓が開始時刻の予約を取り消しました。";
inline constexpr char16_t startAtStarted[] = u"予約した開始時刻 %1 に試験を開始しました。";
inline constexpr char16_t startAtLate[] = u"予約した開始時刻 %1 に間に合わず、%2 ミリ秒遅れて開始しました。";
inline constexpr char16_t startAtButtonWaits[] =
    u"開始時刻 %1 の予約があります。その時刻に自動で開始します。\n"
    u"いますぐ開始するには、右クリックのメニューで予約を取り消して（Shift+F9）から［開始］を押してください。";
inline constexpr char16_t startAtMissed[] =
    u"予約されていた開始時刻 %1 は、この Tavrin が動いていない間に過ぎ、その試験はもう終わっている時刻です。予約は取り消しました。";
inline constexpr char16_t startAtCountdown[] = u"開始まで\n%1";
inline constexpr char16_t cliStartAt[] = u"今日の開始時刻 HH:MM[:SS] を予約する。";
inline constexpr char16_t cliTime[] = u"HH:MM[:SS]";

// The ready board (F8 on the controller) and the sound check a controller asks for.
inline constexpr char16_t readyLine[] = u"%1接続 %2・時刻差 %3・部屋の表示 %4・音の確認 %5・記録 %6";
inline constexpr char16_t readyMark[] = u"準備よし：";
inline constexpr char16_t readyNotMark[] = u"準備まだ：";
inline constexpr char16_t readyYes[] = u"○";
inline constexpr char16_t readyNo[] = u"×";
// Which clock a room keeps: its time daemon's (chrony ±0.05 ms), or the one
// measured through the broker, and why a clock that says it is synchronised
// is not kept.
inline constexpr char16_t readyClockSystem[] = u"%1 ±%2 ms";
inline constexpr char16_t readyClockSystemUnnamed[] = u"システム時計";
inline constexpr char16_t readyClockMeasured[] = u"ブローカー経由で測定 ±%1 ms";
inline constexpr char16_t readyClockLargeError[] = u"（同期済みの時計は誤差 %1 ms と大きいため使いません）";
inline constexpr char16_t readyClockDisagrees[] = u"（同期済みと報告する時計がブローカー経由の測定と合わないため使いません。時刻サーバーの設定を確かめてください）";
inline constexpr char16_t readyUnknown[] = u"不明";
inline constexpr char16_t readyDisplayClosed[] = u"閉じている";
inline constexpr char16_t readyCheckNone[] = u"まだしていない";
inline constexpr char16_t readyChecking[] = u"確認中";
inline constexpr char16_t readyCheckAt[] = u"%1（%2）";
inline constexpr char16_t readyCue[] = u"%1 %2";
inline constexpr char16_t readyCueOwn[] = u"自分のファイル";
inline constexpr char16_t readyCueBuiltin[] = u"内蔵音";
inline constexpr char16_t readyCueSilent[] = u"無音";
inline constexpr char16_t readyCueNotHeard[] = u"鳴らず";
inline constexpr char16_t readyOld[] = u"この部屋の Tavrin は準備の状態を送りません（古い版です）";
inline constexpr char16_t readySummary[] = u"準備のできた部屋：%1 / %2";
inline constexpr char16_t readyAskButton[] = u"全部屋で音の確認";
inline constexpr char16_t readyAskRunning[] =
    u"試験の進行中は、部屋に音の確認を頼めません。試験の前か、リセットの後に頼んでください。";
inline constexpr char16_t readyAskTooSoon[] =
    u"音の確認は %1 秒前に頼んだばかりです。各部屋の確認が終わるまでお待ちください。";
inline constexpr char16_t readyAskNotConnected[] =
    u"ブローカーにつながっていないため、音の確認を頼めませんでした。接続を確かめてから、もう一度押してください。";
inline constexpr char16_t readyAskSent[] = u"全部屋に音の確認を頼みました。";
inline constexpr char16_t readyRefusedRunning[] = u"操作卓からの音の確認の依頼を断りました（試験の進行中です）。";
inline constexpr char16_t readyCheckRecord[] = u"部屋 %1 の音の確認（%2）：%3";
inline constexpr char16_t readyCheckAsked[] = u"操作卓の依頼で音の確認を始めました。";

// The speaker's delay: what the output reports, and the room's own correction.
inline constexpr char16_t speakerAction[] = u"スピーカーの遅れの補正...";
inline constexpr char16_t speakerTitle[] = u"スピーカーの遅れの補正";
inline constexpr char16_t speakerPrompt[] =
    u"この PC のスピーカーが、報告より遅れて（または早く）鳴らす分をミリ秒で入力してください"
    u"（%1 ～ %2、遅れるときはプラス）。\n合図はその分だけ早く出します。"
    u"いまの出力：%3";
inline constexpr char16_t speakerOutOfRange[] =
    u"補正 %1 ms は受け付けません。%2 ～ %3 ms の範囲で入力してください。補正は %4 ms のままです。";
inline constexpr char16_t speakerFileOutOfRange[] =
    u"オプションファイルの [sound] speakerDelayMs「%1」は使えません（%2 ～ %3 の整数だけ）。補正なし（0 ms）で鳴らします。\n"
    u"右クリックの「スピーカーの遅れの補正」（F12）で設定し直してください。";
inline constexpr char16_t speakerSet[] = u"スピーカーの遅れの補正を %1 ms にしました。";
inline constexpr char16_t speakerOutput[] = u"%1（報告された遅れ %2 ms）%3";
inline constexpr char16_t speakerOutputUnknown[] = u"報告なし";
inline constexpr char16_t speakerRiskBluetooth[] = u"Bluetooth";
inline constexpr char16_t speakerRiskNetwork[] = u"ネットワーク";
inline constexpr char16_t speakerRisk[] = u"【注意：%1 の出力は遅れが大きく、変わりやすい】";
// On the ready board.
inline constexpr char16_t readySpeaker[] = u"・スピーカー 遅れ %1 ms＋補正 %2 ms%3";

// One room held while the others go on, and brought back.
inline constexpr char16_t holdCaption[] = u"停止中";
inline constexpr char16_t holdRejoinCountdown[] = u"再開まで\n%1 秒";
inline constexpr char16_t holdRejoinWaiting[] = u"次の問題から\n再開します";
inline constexpr char16_t holdByController[] = u"操作卓";
inline constexpr char16_t holdByRoom[] = u"この部屋";
inline constexpr char16_t holdByRoomOther[] = u"部屋";
inline constexpr char16_t holdHeld[] = u"この部屋を止めました（%1 の操作、%2 問目）。ほかの部屋はそのまま進みます。";
inline constexpr char16_t holdReleased[] = u"この部屋を戻します（%1 の操作）。次の問題の始まりから、ほかの部屋と一緒に進みます。";
inline constexpr char16_t holdRejoined[] = u"この部屋はほかの部屋と一緒に進んでいます。";
inline constexpr char16_t holdAction[] = u"この部屋を止める／戻す...";
inline constexpr char16_t holdTitle[] = u"この部屋を止める";
inline constexpr char16_t holdAsk[] =
    u"この部屋の時計を止めます。ほかの部屋はそのまま進みます。\n"
    u"戻すときは、もう一度 Ctrl+F8 を押すか、操作卓から戻してください。\n止めますか？";
inline constexpr char16_t releaseAsk[] =
    u"この部屋を戻します。次の問題の始まりから、ほかの部屋と一緒に進みます。\n戻しますか？";
inline constexpr char16_t holdNotRoom[] =
    u"この PC は部屋として試験に加わっていないため、止められませんでした。"
    u"操作卓の「部屋の状態」（F8）から部屋を止めるか、部屋の設定を確かめてください。";
inline constexpr char16_t holdNotSent[] =
    u"部屋 %1 への指示を送れませんでした（ブローカーにつながっていません）。接続を確かめてから、もう一度押してください。";
inline constexpr char16_t holdSent[] = u"部屋 %1 に「%2」を送りました。";
inline constexpr char16_t holdButton[] = u"選んだ部屋を止める";
inline constexpr char16_t releaseButton[] = u"選んだ部屋を戻す";
inline constexpr char16_t holdPickRoom[] = u"表で部屋を一つ選んでから押してください。";
inline constexpr char16_t holdConfirmRoom[] = u"部屋 %1 を止めます。ほかの部屋はそのまま進みます。止めますか？";
inline constexpr char16_t holdColumn[] = u"停止";
inline constexpr char16_t holdCell[] = u"止めています（%1）";
inline constexpr char16_t holdCellCountdown[] = u"再開まで %1 秒";
inline constexpr char16_t holdCellWaiting[] = u"再開待ち（次の問題）";
inline constexpr char16_t readyHeld[] = u"・止めています（%1）";
// The record of each hold.
inline constexpr char16_t holdRecord[] = u"部屋 %1 の停止：%2 から %3 まで、失った問題 %4（止めたのは %5）";
inline constexpr char16_t holdLostNone[] = u"なし";
inline constexpr char16_t holdLostRange[] = u"%1～%2 問目";
inline constexpr char16_t holdLostOne[] = u"%1 問目";
inline constexpr char16_t holdEvent[] = u"部屋の停止";
inline constexpr char16_t holdsExport[] = u"停止の記録を CSV に書き出す...";
inline constexpr char16_t holdsSaveName[] = u"部屋の停止.csv";
inline constexpr char16_t holdsExportTitle[] = u"停止の記録を CSV に書き出す";
inline constexpr const char16_t *holdsColumns[] = {u"部屋", u"止めた時刻", u"戻った時刻", u"失った問題",
                                                    u"止めたのは"};

// The programme: its file, its editor (F4) and its timetable (Shift+F4).
inline constexpr char16_t programmeLine[] = u"%1 行目：%2";
inline constexpr char16_t programmePart[] = u"%1 番目の部：%2";
inline constexpr char16_t programmeTooBig[] = u"ファイルが大きすぎます（%1 バイトまで）。";
inline constexpr char16_t programmeNotUtf8[] =
    u"UTF-8 として読めないバイトがあります。UTF-8 で保存し直してください。";
inline constexpr char16_t programmeUnknownSection[] =
    u"「%1」は使えません。部は [block]（問題のブロック）か [break]（休憩）だけです。";
inline constexpr char16_t programmeKeyOutside[] =
    u"「%1」がどの部にも入っていません。先に [block] か [break] の行を書いてください。";
inline constexpr char16_t programmeNotKeyValue[] =
    u"「%1」は読めません。書けるのは「キー = 値」、# で始まるコメント、[block] と [break] だけです。";
inline constexpr char16_t programmeUnknownKey[] = u"キー「%1」は [%2] では使えません。使えるキー：%3。";
inline constexpr char16_t programmeDuplicateKey[] = u"キー「%1」がこの部に 2 度あります。1 度だけ書いてください。";
inline constexpr char16_t programmeNotNumber[] = u"%1「%2」は整数ではありません。1 ～ %3 の整数を書いてください。";
inline constexpr char16_t programmeNotPositive[] = u"%1「%2」は 0 以下です。1 ～ %3 の整数を書いてください。";
inline constexpr char16_t programmeTooLarge[] = u"%1「%2」は大きすぎます。1 ～ %3 の整数を書いてください。";
inline constexpr char16_t programmeNotYesNo[] = u"%1「%2」は yes か no で書いてください。";
inline constexpr char16_t programmeBannerTooLong[] = u"%1 が %2 文字あります。%3 文字までにしてください。";
inline constexpr char16_t programmeBannerControl[] = u"%1 に制御文字があります。ふつうの文字だけにしてください。";
inline constexpr char16_t programmeMissingKey[] = u"[%1] にキー「%2」がありません（必ず書くキー：%3）。";
inline constexpr char16_t programmeBlockTooLong[] =
    u"このブロックは (%1 ＋ %2 ＋ %3) × %4 ＝ %5 秒で、%6 秒を超えます。時間か問題数を減らしてください。";
inline constexpr char16_t programmeTooLong[] =
    u"ここまでで %1 秒になり、24 時間（%2 秒）を超えます。部を減らすか短くしてください。";
inline constexpr char16_t programmeTooManyParts[] = u"部が %1 を超えます。1 つのプログラムは %1 部までです。";
inline constexpr char16_t programmeNoParts[] = u"部が 1 つもありません。[block] か [break] を 1 つ以上書いてください。";
inline constexpr char16_t programmeNotAFile[] = u"ふつうのファイルではありません。プログラムのファイルを選んでください。";
inline constexpr char16_t programmeUnreadable[] = u"ファイルを読めませんでした（%1）。";
inline constexpr char16_t programmeNotWritten[] = u"ファイル「%1」に書けませんでした（%2）。ファイルは前のままです。";
// At the head of every programme file the program writes.
inline constexpr char16_t programmeFileHead[] =
    u"# Tavrin のプログラム（UTF-8）。# で始まる行はコメントです。\n"
    u"# 部は上から順に進みます。[block] は問題のブロック、[break] は休憩です。\n"
    u"# [block]  questions = 問題数、answer = 解答時間（秒）、move = 移動時間（秒）\n"
    u"#          reading = 読む時間（秒、省略可）、reading banner = 読む時間の掲示、\n"
    u"#          reading cue = 読む時間の終わりの合図（yes / no）\n"
    u"# [break]  seconds = 休憩の長さ（秒）、banner = 休憩中の掲示\n"
    u"# 時間と問題数は 1 ～ 32767、1 ブロックは 32767 秒まで、全体は 24 時間までです。\n";

inline constexpr char16_t timetableAction[] = u"時間割...";
inline constexpr char16_t timetableTitle[] = u"時間割";
inline constexpr char16_t timetableStartAt[] = u"%1 %2 開始の時間割";
inline constexpr char16_t timetableNoStart[] =
    u"開始時刻が予約されていないため、開始からの時間（開始＋0:00:00）で示します。"
    u"時刻で示すには、右クリックの「開始時刻を予約」（F9）で予約してください。";
inline constexpr char16_t timetableThreeBoxes[] =
    u"プログラムが選ばれていないため、3 つの欄の時間と問題数（1 ブロック）で示します。";
inline constexpr char16_t timetablePartColumn[] = u"部";
inline constexpr char16_t timetableWhatColumn[] = u"内容";
inline constexpr char16_t timetableFromColumn[] = u"開始";
inline constexpr char16_t timetableToColumn[] = u"終わり";
inline constexpr char16_t timetableFirst[] = u"ブロック %1　第 1 問";
inline constexpr char16_t timetableLast[] = u"ブロック %1　第 %2 問（最後）";
inline constexpr char16_t timetableBreak[] = u"休憩";
inline constexpr char16_t timetableBreakBanner[] = u"休憩（%1）";
inline constexpr char16_t timetableEnd[] = u"終了";
inline constexpr char16_t timetablePdf[] = u"PDF に書き出す...";
inline constexpr char16_t timetableCsv[] = u"CSV に書き出す...";
inline constexpr char16_t timetablePdfFilter[] = u"PDF (*.pdf)";
inline constexpr char16_t timetableCsvFilter[] = u"CSV (*.csv)";
inline constexpr char timetablePdfFile[] = "Tavrin-timetable.pdf";
inline constexpr char timetableCsvFile[] = "Tavrin-timetable.csv";
inline constexpr char16_t timetableSaved[] = u"時間割を「%1」に書き出しました。";
inline constexpr char16_t timetableNotSaved[] =
    u"時間割を「%1」に書き出せませんでした（%2）。ほかの場所を選んで、もう一度書き出してください。";
inline constexpr char16_t dialogClose[] = u"閉じる";

inline constexpr char16_t cliProgramme[] = u"プログラムのファイル FILE（ブロックと休憩の並び）で試験を進める。";
inline constexpr char16_t programmeAction[] = u"プログラム...";
inline constexpr char16_t programmeTitle[] = u"プログラム（ブロックと休憩）";
inline constexpr char16_t programmeKindColumn[] = u"種類";
inline constexpr char16_t programmeQuestionsColumn[] = u"問題数";
inline constexpr char16_t programmeReadingColumn[] = u"読む時間";
inline constexpr char16_t programmeAnswerColumn[] = u"解答";
inline constexpr char16_t programmeMoveColumn[] = u"移動";
inline constexpr char16_t programmeBreakColumn[] = u"休憩";
inline constexpr char16_t programmeBannerColumn[] = u"掲示";
inline constexpr char16_t programmeCueColumn[] = u"読む時間の合図";
inline constexpr char16_t programmeLengthColumn[] = u"長さ";
inline constexpr char16_t programmeBlockKind[] = u"ブロック";
inline constexpr char16_t programmeBreakKind[] = u"休憩";
inline constexpr char16_t programmeReadingNone[] = u"なし";
inline constexpr char16_t programmeSecondsSuffix[] = u" 秒";
inline constexpr char16_t programmeTotal[] = u"合計 %1（%2 秒）";
inline constexpr char16_t programmeStartNote[] = u"開始時刻 %1 からの時刻で示しています。";
inline constexpr char16_t programmeNoStartNote[] =
    u"開始時刻が予約されていないため、開始からの時間で示しています（F9 で予約すると時刻になります）。";
inline constexpr char16_t programmeInUse[] = u"使用中：%1";
inline constexpr char16_t programmeInUseNone[] = u"使用中：なし（3 つの欄の時間と問題数）";
inline constexpr char16_t programmeUnsaved[] = u"（保存していないプログラム）";
inline constexpr char16_t programmeAddBlock[] = u"ブロックを追加";
inline constexpr char16_t programmeAddBreak[] = u"休憩を追加";
inline constexpr char16_t programmeRemove[] = u"削除";
inline constexpr char16_t programmeUp[] = u"上へ";
inline constexpr char16_t programmeDown[] = u"下へ";
inline constexpr char16_t programmeOpen[] = u"開く...";
inline constexpr char16_t programmeSaveAs[] = u"名前を付けて保存...";
inline constexpr char16_t programmeUse[] = u"使う";
inline constexpr char16_t programmeUseNone[] = u"使わない（3 つの欄に戻す）";
inline constexpr char16_t programmeFileFilter[] = u"Tavrin のプログラム (*.txt *.tavrin);;すべてのファイル (*)";
inline constexpr char programmeDefaultFile[] = "Tavrin-programme.txt";
inline constexpr char16_t programmeDefaultBreakBanner[] = u"休憩中";
inline constexpr char16_t programmeChosen[] = u"プログラム %1 を使います（%2 部、合計 %3）。";
inline constexpr char16_t programmeNoneChosen[] = u"プログラムを使わず、3 つの欄の時間と問題数で進めます。";
inline constexpr char16_t programmeRefused[] =
    u"プログラムのファイル「%1」を読み込みませんでした。\n%2\n"
    u"使用中のプログラムは変わっていません。ファイルを直してから、右クリックの「プログラム」（F4）で開き直してください。";
inline constexpr char16_t programmeNotUsed[] =
    u"このプログラムは使えません。\n%1\n使用中のプログラムは変わっていません。直してから「使う」を押してください。";
inline constexpr char16_t programmeSaved[] = u"プログラムを「%1」に保存しました。";
inline constexpr char16_t programmeNotIdle[] =
    u"試験の進行中はプログラムを変えられません。リセットしてから選び直してください。";

// For candidates who cannot hear the cues or tell the dots' colours apart,
// and the names a screen reader reads for the window's controls and dialogs.
inline constexpr char16_t accessShapesAction[] = u"点の色を形でも示す（黄に輪、赤に×）";
inline constexpr char16_t accessCuesAction[] = u"合図を画面の縁の色帯でも示す";
inline constexpr char16_t a11yStartDesc[] =
    u"開始：試験を始めます。試験中はリセットになり、試験をやめて最初の状態に戻します。";
inline constexpr char16_t a11yPauseDesc[] = u"中断：試験を止めます。中断中は再開になり、続きから進めます。";
inline constexpr char16_t a11yHelp[] = u"ヘルプ";
inline constexpr char16_t a11yHelpDesc[] = u"ヘルプを開きます（F1）。";
inline constexpr char16_t a11yExitDesc[] = u"設定を保存してプログラムを終わります。";
inline constexpr char16_t a11yTime1[] = u"１問あたりの時間（秒）";
inline constexpr char16_t a11yTime2[] = u"移動時間（秒）";
inline constexpr char16_t a11yCycle[] = u"問題数";
inline constexpr char16_t a11yTotal[] = u"合計時間（秒）";
inline constexpr char16_t a11yTimeBoxDesc[] = u"数を入力して Enter で確定します。範囲外の値は受け付けず、元の値のままです。";
inline constexpr char16_t a11yTotalDesc[] = u"合計の時間です。Enter で３つの値を確定します。";
inline constexpr char16_t a11yFontFactor[] = u"フォント係数";
inline constexpr char16_t a11yFontFactorDesc[] = u"点と表示の大きさの係数を選びます。";
inline constexpr char16_t a11yQuestion[] = u"問題番号";
inline constexpr char16_t a11yQuestionDesc[] = u"いま表示している問題の番号です。";
inline constexpr char16_t a11yMoveBanner[] = u"移動の表示";
inline constexpr char16_t a11yEndBanner[] = u"終了の表示";
inline constexpr char16_t a11yStatusLine[] = u"お知らせの行";
inline constexpr char16_t a11yStatusLineDesc[] = u"クリックすると、待っているお知らせを表示します。";
inline constexpr char16_t a11yWindowDesc[] = u"試験の時間を点で示すタイマーです。右クリックでメニューを開きます。";
inline constexpr char16_t a11yDialogDesc[] = u"%1 のダイアログです。";

} // namespace tavrin::texts
