#pragma once

#include "version.h"

#include <QCoreApplication>
#include <QString>

// Every text the program shows or stores, in one place. The texts are the
// Japanese originals; each goes through Qt's translation, so that a language
// chosen at start (translations/tavrin_*.ts) shows instead. File names are
// never translated. After adding texts, scripts/texts-to-tr.py and
// scripts/update-translations.sh bring the translation files up to date.
namespace tavrin::texts {

// The context every text is translated in.
inline constexpr char context[] = "texts";

// One of the texts below as a QString, in the chosen language.
inline QString str(const char *s)
{
    return QCoreApplication::translate(context, s);
}

// A text that reads the same as another in Japanese but not in every
// language (終了: the Exit button, a finished run, a timetable's end): the
// comment keeps its translation apart.
struct Sense {
    const char *source;
    const char *comment;
};
inline QString str(const Sense &s)
{
    return QCoreApplication::translate(context, s.source, s.comment);
}

// A text not yet made translatable (old style, u"..."): shown as it is.
inline QString str(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// The window's title; the version is filled in.
inline constexpr char windowCaptionForm[] = QT_TRANSLATE_NOOP("texts", "Vornelの繰り返しタイマー　Tavrin ver. %1");
inline QString windowCaption()
{
    return str(windowCaptionForm).arg(QString::fromUtf16(TAVRIN_VERSION));
}

inline constexpr char start[] = QT_TRANSLATE_NOOP("texts", "開始");
inline constexpr char reset[] = QT_TRANSLATE_NOOP("texts", "リセット");
inline constexpr char pause[] = QT_TRANSLATE_NOOP("texts", "中断");
inline constexpr char resume[] = QT_TRANSLATE_NOOP("texts", "再開");
inline constexpr char exit[] = QT_TRANSLATE_NOOP("texts", "終了");
inline constexpr char help[] = QT_TRANSLATE_NOOP("texts", "?");

inline constexpr char defaultMessage1[] = QT_TRANSLATE_NOOP("texts", "移動してください");
inline constexpr char defaultMessage2[] = QT_TRANSLATE_NOOP("texts", "試験終了");

inline constexpr char settingsFile[] = "Tavrin.cfg";
// The settings of the functions beyond the window (room display, rooms), in
// a file of their own: Tavrin.cfg stays as it always was.
inline constexpr char optionsFile[] = "Tavrin-options.ini";
// The journal of every run.
inline constexpr char recordFile[] = "Tavrin-record.sqlite";
inline constexpr char helpFile[] = "Tavrin.chm"; // Tavrin-<code>.chm in other languages
inline constexpr char defaultCue1[] = "Tavrin-Jihou1.wav";
inline constexpr char defaultCue2[] = "Tavrin-Jihou2.wav";
inline constexpr char defaultCue3[] = "Tavrin-Jihou3.wav";
inline constexpr char chimeCue[] = "Tavrin-chime.wav";

// Messages the program adds for the operator.
inline constexpr char noticeTitle[] = QT_TRANSLATE_NOOP("texts", "Tavrin");
// In the control strip while a run goes on: the notices wait there rather
// than cover the dots, until a pause, the end or a click on this line.
inline constexpr char noticesHeld[] = QT_TRANSLATE_NOOP("texts", "お知らせ %1 件（クリックで表示、中断か終了でも表示）：%2");
inline constexpr char timeBoxOutOfRange[] =
    QT_TRANSLATE_NOOP("texts", "%1の値「%2」は範囲外です（-32768 ～ 32767 の範囲で入力してください）。\n"
    "時間と問題数は変更していません。");
inline constexpr char totalTooLarge[] =
    QT_TRANSLATE_NOOP("texts", "合計 (%1 ＋ %2) × %3 が 32767 秒を超えます。\n"
    "時間と問題数は変更していません。値を小さくして Enter を押してください。");
inline constexpr char startupTotalTooLarge[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイルの時間と問題数 (%1 ＋ %2) × %3 では合計が 32767 秒を超えます。\n"
    "標準の値 %4 秒、%5 秒、%6 問を使います。");
// A programme's reading time and breaks: the banner and its countdown.
inline constexpr char leadCountdown[] = QT_TRANSLATE_NOOP("texts", "%1　%2:%3");
inline constexpr char readingBanner[] = QT_TRANSLATE_NOOP("texts", "問題を読む時間");
inline constexpr char breakBanner[] = QT_TRANSLATE_NOOP("texts", "休憩");
inline constexpr char timeEntryDuringProgramme[] =
    QT_TRANSLATE_NOOP("texts", "プログラムを選んでいる間は、時間と問題数の入力は使いません（入力は受け付けていません）。\n"
    "欄の値で試験をするときは、プログラムの選択をやめてから入力してください。");
inline constexpr char programmeWaits[] =
    QT_TRANSLATE_NOOP("texts", "選んだプログラムは、いまの試験が終わるかリセットしたときから使います。いまの試験はそのまま続きます。");
inline constexpr char programmeNotRunnable[] =
    QT_TRANSLATE_NOOP("texts", "このプログラムは使えません（部分は 1 ～ 100 個、合計 24 時間まで、各ブロックは (解答＋移動)×問題数 が 32767 秒まで）。\n"
    "いままでの計画のままです。プログラムを直してから選び直してください。");
inline constexpr char programmeTooLargeForRooms[] =
    QT_TRANSLATE_NOOP("texts", "このプログラムは部屋へ送るには大きすぎます（部分の数か表示の文が多すぎます）。いままでの計画のままです。\n"
    "部分を減らすか、表示の文を短くしてから選び直してください。");
inline constexpr char helpMissing[] =
    QT_TRANSLATE_NOOP("texts", "ヘルプファイルが見つかりません:\n%1");
inline constexpr char helpNotOpened[] =
    QT_TRANSLATE_NOOP("texts", "ヘルプファイルを開けませんでした:\n%1");
inline constexpr char saveFailed[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル「%1」を保存できませんでした（%2）。\n"
    "原因を取り除いてから［もう一度保存］を押すか、［保存せずに終了］を押してください。"
    "［ウィンドウに戻る］では何も変わりません。");
inline constexpr char saveNoCopy[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル「%1」は、元の内容の控えを残してから上書きするはずでしたが、控えを作れません（%2）。\n"
    "控えを残さずに上書きするか、保存せずに終了するか、ウィンドウに戻ってください。");
inline constexpr char confirmCloseTitle[] = QT_TRANSLATE_NOOP("texts", "試験中です");
inline constexpr char confirmClose[] =
    QT_TRANSLATE_NOOP("texts", "試験を中止します。試験はまだ終わっていません。ウィンドウを閉じると試験は中止として記録され、"
    "次に起動しても続きからは始められません。設定は保存されません。\n"
    "本当に閉じますか？");
inline constexpr char internalError[] =
    QT_TRANSLATE_NOOP("texts", "予期しないエラーが起きました（%1）。\n表示と時間はそのまま続けています。");


// The settings file: what the operator is told when a value could not be read
// or the file could not be saved.
inline constexpr char backupFile[] = "Tavrin.cfg.bak";
inline constexpr char cfgTime1[] = QT_TRANSLATE_NOOP("texts", "1問あたりの時間");
inline constexpr char cfgTime2[] = QT_TRANSLATE_NOOP("texts", "移動時間");
inline constexpr char cfgCycle[] = QT_TRANSLATE_NOOP("texts", "問題数");
inline constexpr char cfgCue1[] = QT_TRANSLATE_NOOP("texts", "音のファイル1");
inline constexpr char cfgCue2[] = QT_TRANSLATE_NOOP("texts", "音のファイル2");
inline constexpr char cfgCue3[] = QT_TRANSLATE_NOOP("texts", "音のファイル3");
inline constexpr char cfgMessage1[] = QT_TRANSLATE_NOOP("texts", "移動の表示");
inline constexpr char cfgMessage2[] = QT_TRANSLATE_NOOP("texts", "終了の表示");
inline constexpr char cfgTamasu[] = QT_TRANSLATE_NOOP("texts", "1行の点の数");
inline constexpr char cfgFkc[] = QT_TRANSLATE_NOOP("texts", "文字の大きさの番号");
inline constexpr char cfgBadValue[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル「%1」の %2 行目の%3「%4」%5。標準の値 %6 を使います。");
inline constexpr char cfgNotANumber[] = QT_TRANSLATE_NOOP("texts", "は数値ではありません");
inline constexpr char cfgOutOfRange[] = QT_TRANSLATE_NOOP("texts", "は範囲外です（-32768 ～ 32767 にしてください）");
inline constexpr char cfgTamasuTooSmall[] = QT_TRANSLATE_NOOP("texts", "は 1 以上でなければなりません");
inline constexpr char cfgFkcOutOfRange[] = QT_TRANSLATE_NOOP("texts", "は 0、1、2 のどれかでなければなりません");
inline constexpr char cfgFieldMissing[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル「%1」の 1 行目に%2がありません。標準の値 %3 を使います。");
inline constexpr char cfgExtraFields[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル「%1」の 1 行目の 4 つ目以降の値「%2」は使いません。");
inline constexpr char cfgEmpty[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル「%1」は空です。すべて標準の値を使います。");
inline constexpr char cfgTooShort[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル「%1」は %2 行目で終わっています（6 行必要です）。次の値は標準の値を使います：\n%3");
inline constexpr char cfgDefaultItem[] = QT_TRANSLATE_NOOP("texts", "%1 = %2");
inline constexpr char cfgListSeparator[] = QT_TRANSLATE_NOOP("texts", "、");
inline constexpr char cfgBadText[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル「%1」の %2 行目（%3）に Shift-JIS として読めない文字があります。"
    "正しく表示されないかもしれません。保存するときは、この行を読んだとおりに書き戻します。");
inline constexpr char cfgTrailing[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル「%1」の %2 行目から後「%3」は使いません。");
inline constexpr char cfgUnreadable[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル「%1」を読めませんでした（%2）。すべて標準の値を使います。");
inline constexpr char cfgTooLarge[] = QT_TRANSLATE_NOOP("texts", "1 MiB を超える大きさです");
inline constexpr char cfgKeepOriginal[] =
    QT_TRANSLATE_NOOP("texts", "［終了］で保存するときは、今の設定ファイルを「%1」に写してから上書きします。"
    "設定ファイルを直すときは、このプログラムを閉じてから直してください。");
inline constexpr char cfgBackupFailed[] =
    QT_TRANSLATE_NOOP("texts", "元のファイルの控え「%1」を作れません。設定ファイルは元のままです。詳細: %2");
inline constexpr char cfgOpenFailed[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイルを書き込み用に開けません。フォルダーがあるか、同じ名前のフォルダーがないか、"
    "書き込めるかを確かめてください。設定ファイルは元のままです。詳細: %1");
inline constexpr char cfgWriteFailed[] =
    QT_TRANSLATE_NOOP("texts", "書き込みに失敗しました。ディスクの空きを確かめてください。設定ファイルは元のままです。詳細: %1");
inline constexpr char cfgReplaceFailed[] =
    QT_TRANSLATE_NOOP("texts", "書き込んだ内容で設定ファイルを置き換えられません。設定ファイルは元のままです。詳細: %1");

// The cue players: what the operator is told of the sounds.

inline constexpr char soundNoOutput[] =
    QT_TRANSLATE_NOOP("texts", "音を出す装置が使えないため、合図の音が鳴りません。試験はそのまま進みます。\n"
    "スピーカーなどの出力装置や音声の設定を確かめてください。使えるようになると、"
    "次の合図から音が戻ります（起動し直す必要はありません）。\n（%1）");

// Once, at the first cue that the output came too late for.
inline constexpr char soundCueMissed[] =
    QT_TRANSLATE_NOOP("texts", "音を出す装置の準備が間に合わず、合図の音が遅れて鳴ったか、鳴りませんでした。試験はそのまま進みます。\n"
    "どの合図かは記録（F7）に残ります。たびたび起きるときは、スピーカーなどの出力装置や"
    "音声の設定を確かめてください。");

inline constexpr char soundFallbackHead[] =
    QT_TRANSLATE_NOOP("texts", "次の音声ファイルは使えないため、代わりに内蔵の合図音を鳴らします。");
inline constexpr char soundFallbackItem[] = QT_TRANSLATE_NOOP("texts", "・%1（%2）: %3");
inline constexpr char soundFallbackFoot[] =
    QT_TRANSLATE_NOOP("texts", "試験はこのまま進められます。ファイルを用意してプログラムを起動し直すと、"
    "そのファイルの音が使われます。");
inline constexpr char soundBuiltinAlsoFailed[] =
    QT_TRANSLATE_NOOP("texts", "%1。内蔵の合図音も使えないため、この合図は鳴りません");

inline constexpr char soundNoOutputReason[] = QT_TRANSLATE_NOOP("texts", "音を出す装置が使えません");
inline constexpr char soundServerSilent[] = QT_TRANSLATE_NOOP("texts", "音声サーバーが %1 秒たっても応答しません");
inline constexpr char soundMissing[] = QT_TRANSLATE_NOOP("texts", "見つかりません");
inline constexpr char soundNotAFile[] = QT_TRANSLATE_NOOP("texts", "ファイルではありません");
inline constexpr char soundUnreadable[] = QT_TRANSLATE_NOOP("texts", "読み取れません");
inline constexpr char soundTooLarge[] = QT_TRANSLATE_NOOP("texts", "大きすぎます");
inline constexpr char soundUndecodable[] = QT_TRANSLATE_NOOP("texts", "音声ファイルとして読めません");
inline constexpr char soundNoName[] = QT_TRANSLATE_NOOP("texts", "ファイル名が空なので、この合図は鳴らしません");

// The players' roles, as the operator knows them.
inline constexpr char soundRole1[] = QT_TRANSLATE_NOOP("texts", "残り数秒の合図");
inline constexpr char soundRole2[] = QT_TRANSLATE_NOOP("texts", "解答時間終了の合図");
inline constexpr char soundRole3[] = QT_TRANSLATE_NOOP("texts", "試験終了の合図");
inline constexpr char soundRole4[] = QT_TRANSLATE_NOOP("texts", "入力確認のチャイム");


// The window's own captions.
inline constexpr char label1[] = QT_TRANSLATE_NOOP("texts", "１問あたり");
inline constexpr char label2[] = QT_TRANSLATE_NOOP("texts", "移動時間");
inline constexpr char label3[] = QT_TRANSLATE_NOOP("texts", "問題数");
inline constexpr char label7[] = QT_TRANSLATE_NOOP("texts", "合計");
inline constexpr char label9[] = QT_TRANSLATE_NOOP("texts", "（");
inline constexpr char label10[] = QT_TRANSLATE_NOOP("texts", "＋");
inline constexpr char label13[] = QT_TRANSLATE_NOOP("texts", "）");
inline constexpr char label11[] = QT_TRANSLATE_NOOP("texts", "×");
inline constexpr char label12[] = QT_TRANSLATE_NOOP("texts", "＝");
inline constexpr char labelSeconds[] = QT_TRANSLATE_NOOP("texts", "秒");  // Label4, Label5, Label8
inline constexpr char labelQuestions[] = QT_TRANSLATE_NOOP("texts", "問"); // Label6
inline constexpr char label14[] = QT_TRANSLATE_NOOP("texts", "0");
inline constexpr char label16[] = QT_TRANSLATE_NOOP("texts", "問目");
inline constexpr char label18[] = QT_TRANSLATE_NOOP("texts", "フォント係数");
// The entries of the font factor list, in the order of kFontFactors.
inline constexpr const char *fontFactorItems[3] = {QT_TRANSLATE_NOOP("texts", "1.00"), QT_TRANSLATE_NOOP("texts", "1.25"), QT_TRANSLATE_NOOP("texts", "1.50")};
inline constexpr char combo1Text[] = QT_TRANSLATE_NOOP("texts", "Combo1");

// Saving at exit, when the settings file cannot be written as usual.
inline constexpr char saveFailedTitle[] = QT_TRANSLATE_NOOP("texts", "設定を保存できません");
inline constexpr char saveRetry[] = QT_TRANSLATE_NOOP("texts", "もう一度保存");
inline constexpr char saveDiscard[] = QT_TRANSLATE_NOOP("texts", "保存せずに終了");
inline constexpr char saveBack[] = QT_TRANSLATE_NOOP("texts", "ウィンドウに戻る");
inline constexpr char saveWithoutCopy[] = QT_TRANSLATE_NOOP("texts", "控えを残さずに上書き");
inline constexpr char cfgReadBackDiffers[] = QT_TRANSLATE_NOOP("texts", "書き込んだ内容を読み戻すと違っていました");
inline constexpr char cfgDamaged[] =
    QT_TRANSLATE_NOOP("texts", "書き込みに失敗し、元の内容にも戻せませんでした。設定ファイルは途中までしか書かれていないかもしれません。"
    "［もう一度保存］で書き直してください。詳細: %1");

// Why the screen must stay on, as the desktop shows it.
inline constexpr char screenKeeperReason[] = QT_TRANSLATE_NOOP("texts", "試験の実施中");

// The room display and the sound check.
inline constexpr char roomTitle[] = QT_TRANSLATE_NOOP("texts", "部屋の表示 - Tavrin");
inline constexpr char roomShow[] = QT_TRANSLATE_NOOP("texts", "部屋の表示");
inline constexpr char roomScreen[] = QT_TRANSLATE_NOOP("texts", "部屋の表示の画面");
inline constexpr char roomScreenAuto[] = QT_TRANSLATE_NOOP("texts", "自動（操作画面のない、いちばん大きい画面）");
inline constexpr char roomScreenItem[] = QT_TRANSLATE_NOOP("texts", "%1（%2 × %3）");
inline constexpr char roomSecondsLeft[] = QT_TRANSLATE_NOOP("texts", "部屋の表示に残り秒数を出す");
inline constexpr char secondsLeft[] = QT_TRANSLATE_NOOP("texts", "残り%1秒");
// The options file, whichever part writes it: what was refused, what to do.
inline constexpr char optionsNotSaved[] = QT_TRANSLATE_NOOP("texts", "設定ファイル %1 に保存できませんでした。%2");
inline constexpr char optionsAccessError[] =
    QT_TRANSLATE_NOOP("texts", "書き込めません（%1）。作業フォルダーとそのファイルに書き込めるか確かめてください。");
inline constexpr char optionsFormatError[] =
    QT_TRANSLATE_NOOP("texts", "ファイルの形式が正しくありません。中身を確かめるか別の名前に移してから、もう一度設定してください。");
inline constexpr char optionsLinkRefused[] =
    QT_TRANSLATE_NOOP("texts", "その場所にシンボリックリンクが置かれているので、たどらずにやめました。"
    "リンクを消してから（ふつうのファイルを置くか、何も置かずに）、もう一度設定してください。");
inline constexpr char optionsNotAFile[] =
    QT_TRANSLATE_NOOP("texts", "その場所にあるのはふつうのファイルではありません。それを移すか消してから、もう一度設定してください。");
inline constexpr char optionsNotOurs[] =
    QT_TRANSLATE_NOOP("texts", "ファイルの持ち主が別のユーザーなので、書き換えませんでした。"
    "自分の作業フォルダーで Tavrin を起動するか、持ち主にファイルを移してもらってください。");
inline constexpr char optionsKeptForNow[] = QT_TRANSLATE_NOOP("texts", "今の選択はこのプログラムを閉じるまで使えます。");

inline constexpr char soundCheck[] = QT_TRANSLATE_NOOP("texts", "音の確認");
inline constexpr char soundCheckIntro[] = QT_TRANSLATE_NOOP("texts", "4 つの合図を順に鳴らします。聞こえるか確かめてください。");
inline constexpr char soundCheckWaiting[] = QT_TRANSLATE_NOOP("texts", "これから鳴らします");
inline constexpr char soundCheckPlaying[] = QT_TRANSLATE_NOOP("texts", "鳴らしています…");
inline constexpr char soundCheckOwnFile[] = QT_TRANSLATE_NOOP("texts", "設定のファイルの音を鳴らしました（%1）");
inline constexpr char soundCheckBuiltIn[] = QT_TRANSLATE_NOOP("texts", "内蔵の合図音を鳴らしました（%1: %2）");
inline constexpr char soundCheckSilent[] = QT_TRANSLATE_NOOP("texts", "鳴りません（%1）");
inline constexpr char soundCheckNotOpen[] = QT_TRANSLATE_NOOP("texts", "鳴りません（合図の準備ができていません）");
inline constexpr char soundCheckStopped[] = QT_TRANSLATE_NOOP("texts", "試験が始まったので、確認を止めました");
inline constexpr char soundCheckAgain[] = QT_TRANSLATE_NOOP("texts", "もう一度鳴らす");
inline constexpr char soundCheckClose[] = QT_TRANSLATE_NOOP("texts", "閉じる");

// The journal of every run: its faults, the question after an interruption,
// the record window and its CSV file.
inline constexpr char journalCannotOpen[] =
    QT_TRANSLATE_NOOP("texts", "試験の記録ファイル「%1」を開けません（%2）。\n"
    "試験はこのまま行えますが、記録は残りません。途中で止まった試験の再開もできません。");
inline constexpr char journalNoDriver[] = QT_TRANSLATE_NOOP("texts", "SQLite のドライバーがありません");
inline constexpr char journalNoFolder[] = QT_TRANSLATE_NOOP("texts", "フォルダーがありません");
inline constexpr char journalFolderReadOnly[] = QT_TRANSLATE_NOOP("texts", "フォルダーに書き込めません");
inline constexpr char journalNotAFile[] = QT_TRANSLATE_NOOP("texts", "同じ名前のフォルダーなどがあります");
inline constexpr char journalSymlink[] =
    QT_TRANSLATE_NOOP("texts", "「%1」の場所にシンボリックリンクが置かれているので、たどらずに使いませんでした。"
    "リンクを消してから起動し直してください");
inline constexpr char journalLocked[] =
    QT_TRANSLATE_NOOP("texts", "このフォルダーでは別の Tavrin（プロセス番号 %1）が動いていて、試験の記録ファイル「%2」を使っています。\n"
    "このウィンドウの試験は記録されず、前の試験の再開もしません。"
    "別の Tavrin を閉じてから起動し直すか、別のフォルダーで起動してください。");
inline constexpr char journalReadOnly[] =
    QT_TRANSLATE_NOOP("texts", "試験の記録ファイル「%1」は読み取り専用のため書き込めません。ファイルはそのままにします。\n"
    "試験はこのまま行えますが、記録は残りません。記録するには、書き込めるようにしてから起動し直してください。");
inline constexpr char journalFuture[] =
    QT_TRANSLATE_NOOP("texts", "試験の記録ファイル「%1」は新しい版の Tavrin のもの（形式 %2）で、この版（形式 %3 まで）では使えません。"
    "ファイルはそのままにします。\n試験はこのまま行えますが、記録は残りません。");
inline constexpr char journalFutureShort[] = QT_TRANSLATE_NOOP("texts", "新しい版の Tavrin のもの（形式 %1）です");
inline constexpr char journalDamaged[] =
    QT_TRANSLATE_NOOP("texts", "試験の記録ファイル「%1」は壊れていたため（%2）、「%3」という名前で残し、新しい記録ファイルを作りました。\n"
    "前の試験の続きはできませんが、これからの試験は記録されます。");
inline constexpr char journalDamagedNoFresh[] =
    QT_TRANSLATE_NOOP("texts", "試験の記録ファイル「%1」は壊れていて（%2）、新しい記録ファイルも作れませんでした（%3）。\n"
    "試験はこのまま行えますが、記録は残りません。");
inline constexpr char journalNotOurs[] = QT_TRANSLATE_NOOP("texts", "Tavrin の記録ファイルではありません");
inline constexpr char journalWriteFailed[] =
    QT_TRANSLATE_NOOP("texts", "試験の記録ファイル「%1」に書き込めなくなりました（%2）。\n"
    "試験はこのまま続いていますが、ここから先は記録されません。");
inline constexpr char journalFull[] =
    QT_TRANSLATE_NOOP("texts", "ディスクがいっぱいのため、試験の記録ファイル「%1」に書き込めなくなりました。\n"
    "試験はこのまま続いていますが、ここから先は記録されません。");
inline constexpr char journalVanished[] =
    QT_TRANSLATE_NOOP("texts", "試験の記録ファイル「%1」がなくなったため、新しい記録ファイルを作って記録を続けます。"
    "それまでの記録はなくなりました。");
inline constexpr char journalVanishedNoFresh[] =
    QT_TRANSLATE_NOOP("texts", "試験の記録ファイル「%1」がなくなり、作り直すこともできません（%2）。\n"
    "試験はこのまま続いていますが、ここから先は記録されません。");
inline constexpr char journalLockedShort[] = QT_TRANSLATE_NOOP("texts", "別の Tavrin（プロセス番号 %1）が使っています");
inline constexpr char journalUnreadableRun[] =
    QT_TRANSLATE_NOOP("texts", "試験の記録ファイルにある前の試験の状態を読めないため、その試験の続きはできません。");

// After an interruption.
inline constexpr char resumeTitle[] = QT_TRANSLATE_NOOP("texts", "前の試験が途中で止まっています");
inline constexpr char resumeHead[] = QT_TRANSLATE_NOOP("texts", "前の試験は終わらないまま止まりました%1。");
inline constexpr char resumeByClose[] = QT_TRANSLATE_NOOP("texts", "（ウィンドウを閉じて終わりました）");
inline constexpr char resumeTimes[] = QT_TRANSLATE_NOOP("texts", "時間: 1問あたり %1 秒、移動 %2 秒、%3 問");
inline constexpr char resumeStopped[] = QT_TRANSLATE_NOOP("texts", "止まった時刻: %1");
inline constexpr char resumeLastRunning[] = QT_TRANSLATE_NOOP("texts", "最後の記録: %1（進行中）");
inline constexpr char resumeLastPaused[] = QT_TRANSLATE_NOOP("texts", "最後の記録: %1（中断中）");
inline constexpr char resumeNowRunning[] = QT_TRANSLATE_NOOP("texts", "続けていれば今は: %1");
inline constexpr char resumeNowEnded[] = QT_TRANSLATE_NOOP("texts", "続けていれば試験は %1 に終わっています。");
inline constexpr char resumeWhereAnswering[] = QT_TRANSLATE_NOOP("texts", "第 %1 問の解答時間 %2 秒目");
inline constexpr char resumeWhereMoving[] = QT_TRANSLATE_NOOP("texts", "第 %1 問の移動時間 %2 秒目");
inline constexpr char resumeWhereBefore[] = QT_TRANSLATE_NOOP("texts", "第 %1 問の始まる前");
inline constexpr char resumeFromNow[] = QT_TRANSLATE_NOOP("texts", "今の位置から続ける");
inline constexpr char resumePaused[] = QT_TRANSLATE_NOOP("texts", "止まった位置で中断して続ける");
inline constexpr char resumeStillPaused[] = QT_TRANSLATE_NOOP("texts", "中断したまま続ける");
inline constexpr char resumeShowEnd[] = QT_TRANSLATE_NOOP("texts", "試験終了を表示する");
inline constexpr char resumeNot[] = QT_TRANSLATE_NOOP("texts", "続けない");
inline constexpr char resumeAfresh[] = QT_TRANSLATE_NOOP("texts", "新しく始める");
inline constexpr char resumedNow[] = QT_TRANSLATE_NOOP("texts", "止まった試験を今の位置から続けました");
inline constexpr char resumedPaused[] = QT_TRANSLATE_NOOP("texts", "止まった試験を止まった位置で中断して続けました");
inline constexpr char resumedEnd[] = QT_TRANSLATE_NOOP("texts", "止まった試験は終わっていたため、試験終了を表示しました");
inline constexpr char abandoned[] = QT_TRANSLATE_NOOP("texts", "止まった試験を続けませんでした");
inline constexpr char abandonedAfterEnd[] = QT_TRANSLATE_NOOP("texts", "止まった試験は終わっていたため、新しく始めました");
// A programme's part as it begins, in the record: number, what it is, and
// its due and actual clock times.
inline constexpr char partDetail[] = QT_TRANSLATE_NOOP("texts", "第 %1 部：%2（予定 %3、実際 %4）");
inline constexpr char partBreak[] = QT_TRANSLATE_NOOP("texts", "休憩 %1 秒");
inline constexpr char partBlock[] = QT_TRANSLATE_NOOP("texts", "%1 問 × (解答 %2 秒＋移動 %3 秒、読む時間 %4 秒)");
inline constexpr char abandonedForOther[] = QT_TRANSLATE_NOOP("texts", "操作卓の試験に合わせたため、止まった試験は続けませんでした");

// The record window and its CSV file.
inline constexpr char recordAction[] = QT_TRANSLATE_NOOP("texts", "試験の記録...");
inline constexpr char recordTitle[] = QT_TRANSLATE_NOOP("texts", "試験の記録 - Tavrin");
inline constexpr char recordSave[] = QT_TRANSLATE_NOOP("texts", "CSV で保存...");
inline constexpr char recordRefresh[] = QT_TRANSLATE_NOOP("texts", "最新にする");
inline constexpr char recordClose[] = QT_TRANSLATE_NOOP("texts", "閉じる");
inline constexpr char recordSaveTitle[] = QT_TRANSLATE_NOOP("texts", "試験の記録を CSV で保存");
inline constexpr char recordSaveFilter[] = QT_TRANSLATE_NOOP("texts", "CSV ファイル (*.csv)");
inline constexpr char recordSaveName[] = QT_TRANSLATE_NOOP("texts", "試験の記録.csv");
inline constexpr char recordSaved[] = QT_TRANSLATE_NOOP("texts", "「%1」に %2 件を保存しました。");
inline constexpr char recordSaveFailed[] = QT_TRANSLATE_NOOP("texts", "「%1」に保存できませんでした（%2）。別の場所を選んでください。");
inline constexpr char recordRows[] = QT_TRANSLATE_NOOP("texts", "%1 件");
inline constexpr char recordUnavailable[] = QT_TRANSLATE_NOOP("texts", "試験の記録ファイルが使えないため、記録を表示できません。");
inline constexpr char recordReadFailed[] = QT_TRANSLATE_NOOP("texts", "試験の記録を読めませんでした（%1）。");
inline constexpr const char *recordColumns[9] = {QT_TRANSLATE_NOOP("record", "試験"), QT_TRANSLATE_NOOP("record", "時刻"), QT_TRANSLATE_NOOP("record", "出来事"), QT_TRANSLATE_NOOP("record", "問"), QT_TRANSLATE_NOOP("record", "秒"),
                                                 QT_TRANSLATE_NOOP("record", "1問あたり"), QT_TRANSLATE_NOOP("record", "移動時間"), QT_TRANSLATE_NOOP("record", "問題数"), QT_TRANSLATE_NOOP("record", "内容")};
// The headers have a context of their own: "問", "秒" are words in full here
// but the window's short captions elsewhere.
inline QString recordColumn(const char *s)
{
    return QCoreApplication::translate("record", s);
}
// The events, by the key the journal stores.
struct EventName {
    const char *key;
    const char *name;
};
inline constexpr EventName eventNames[] = {
    {"part", QT_TRANSLATE_NOOP("texts", "部分の始まり")},
    {"program-start", QT_TRANSLATE_NOOP("texts", "起動")},   {"start", QT_TRANSLATE_NOOP("texts", "開始")},          {"pause", QT_TRANSLATE_NOOP("texts", "中断")},
    {"resume", QT_TRANSLATE_NOOP("texts", "再開")},          {"reset", QT_TRANSLATE_NOOP("texts", "リセット")},      {"question", QT_TRANSLATE_NOOP("texts", "問題の始まり")},
    {"cue", QT_TRANSLATE_NOOP("texts", "合図の音")},         {"end", QT_TRANSLATE_NOOP("texts", "試験終了")},        {"time-entry", QT_TRANSLATE_NOOP("texts", "時間の入力")},
    {"font-factor", QT_TRANSLATE_NOOP("texts", "フォント係数")}, {"adopted", QT_TRANSLATE_NOOP("texts", "状態の引き継ぎ")}, {"exit", QT_TRANSLATE_NOOP("texts", "終了")},
    {"notice", QT_TRANSLATE_NOOP("texts", "お知らせ")},      {"close", QT_TRANSLATE_NOOP("texts", "ウィンドウを閉じた")}, {"abandon", QT_TRANSLATE_NOOP("texts", "続けない")},
    {"abort", QT_TRANSLATE_NOOP("texts", "試験の中止")},     {"system-end", QT_TRANSLATE_NOOP("texts", "システムによる終了")}, {"cue-late", QT_TRANSLATE_NOOP("texts", "遅れた合図")},
    {"cue-dropped", QT_TRANSLATE_NOOP("texts", "鳴らなかった合図")}, {"end-repeated", QT_TRANSLATE_NOOP("texts", "試験終了のくり返し")},
};
inline constexpr char cueOwnFile[] = QT_TRANSLATE_NOOP("texts", "合図 %1（%2）: %3");
inline constexpr char cueBuiltIn[] = QT_TRANSLATE_NOOP("texts", "合図 %1（%2）: 内蔵の音（%3）");
inline constexpr char cueSilent[] = QT_TRANSLATE_NOOP("texts", "合図 %1（%2）: 鳴らず（%3）");
inline constexpr char cueLateDetail[] = QT_TRANSLATE_NOOP("texts", "合図 %1（%2）: 音の出力が間に合わず、%3 ms 遅れて鳴りました");
inline constexpr char cueDroppedDetail[] = QT_TRANSLATE_NOOP("texts", "合図 %1（%2）: 音の出力が間に合わず、鳴りませんでした");
// A number of questions below zero, outside a run: the end after the first.
inline constexpr char endRepeatedDetail[] = QT_TRANSLATE_NOOP("texts", "試験終了の表示と合図 %1（%2）が、このあと %3 回くり返されました");
// The proof of the cues: what each room reported it played, on the
// controller's clock. Deviation: how far it started from its second plus the
// fixed delay every cue has.
inline constexpr char cueProofEvent[] = QT_TRANSLATE_NOOP("texts", "合図の報告");
inline constexpr char cueProofUnheardEvent[] = QT_TRANSLATE_NOOP("texts", "鳴らなかった合図");
inline constexpr char cueProofMissingEvent[] = QT_TRANSLATE_NOOP("texts", "報告のない合図");
inline constexpr char cueProofSummaryEvent[] = QT_TRANSLATE_NOOP("texts", "部屋ごとのずれ");
inline constexpr char cueProofController[] = QT_TRANSLATE_NOOP("texts", "この管理用のTavrin");
inline constexpr char cueProofRoom[] = QT_TRANSLATE_NOOP("texts", "部屋 %1");
inline constexpr char cueProofPlayed[] = QT_TRANSLATE_NOOP("texts", "%1: 合図 %2（%3） %4 に鳴り始め、ずれ %5 ms（時計の差 %6 ms、%7）");
inline constexpr char cueProofUnheard[] = QT_TRANSLATE_NOOP("texts", "%1: 合図 %2（%3） 音が出ませんでした");
inline constexpr char cueProofMissing[] =
    QT_TRANSLATE_NOOP("texts", "%1: 合図 %2（%3） この部屋から報告がありません。鳴らなかったか、報告が届いていません");
inline constexpr char cueProofSummary[] = QT_TRANSLATE_NOOP("texts", "%1: 合図 %2 件、いちばん大きなずれ %3、鳴らなかった（または報告のない）合図 %4 件");
inline constexpr char cueProofLargest[] = QT_TRANSLATE_NOOP("texts", "%1 ms（%2 問目 %3 秒の合図 %4）");
inline constexpr char cueProofNoneHeard[] = QT_TRANSLATE_NOOP("texts", "なし（どの合図も音が出ていません）");
inline constexpr char cueProofOwn[] = QT_TRANSLATE_NOOP("texts", "指定の音声ファイル");
inline constexpr char cueProofBuiltin[] = QT_TRANSLATE_NOOP("texts", "内蔵の音");
inline constexpr char cueProofSilent[] = QT_TRANSLATE_NOOP("texts", "音なし");
inline constexpr char timeEntryDetail[] = QT_TRANSLATE_NOOP("texts", "%1, %2, %3 → %4, %5, %6");
inline constexpr char fontFactorDetail[] = QT_TRANSLATE_NOOP("texts", "%1 → %2");
inline constexpr char closedByWindow[] = QT_TRANSLATE_NOOP("texts", "ウィンドウを閉じて終わりました");
inline constexpr char abortedByClose[] = QT_TRANSLATE_NOOP("texts", "試験中にウィンドウを閉じ、試験を中止しました");
inline constexpr char endedBySystem[] = QT_TRANSLATE_NOOP("texts", "システムから終了を求められて（%1）終わりました。試験は次の起動で続けられます");
// Why the journal could not be used, as the operator is told; the SQLite
// message follows for whoever looks further.
inline constexpr char sqlIoError[] = QT_TRANSLATE_NOOP("texts", "ディスクの読み書きでエラーが起きました");
inline constexpr char sqlReadOnly[] = QT_TRANSLATE_NOOP("texts", "書き込みが禁止されています");
inline constexpr char sqlCorrupt[] = QT_TRANSLATE_NOOP("texts", "ファイルが壊れています");
inline constexpr char sqlNotADatabase[] = QT_TRANSLATE_NOOP("texts", "SQLite のファイルではありません");
inline constexpr char sqlCantOpen[] = QT_TRANSLATE_NOOP("texts", "ファイルを開けません");
inline constexpr char sqlBusy[] = QT_TRANSLATE_NOOP("texts", "ほかのプログラムが使っています");
inline constexpr char sqlFull[] = QT_TRANSLATE_NOOP("texts", "ディスクがいっぱいです");
inline constexpr char sqlCheckFailed[] = QT_TRANSLATE_NOOP("texts", "中身の検査で誤りが見つかりました");
inline constexpr char sqlOther[] = QT_TRANSLATE_NOOP("texts", "SQLite のエラーです");
inline constexpr char sqlReason[] = QT_TRANSLATE_NOOP("texts", "%1: %2");

// ---- Many rooms: one examination followed by the Tavrins of other rooms ----

// Entries for the record.
inline constexpr char roomsConnected[] = QT_TRANSLATE_NOOP("texts", "ブローカー %1 に接続しました。");
inline constexpr char roomsDisconnected[] =
    QT_TRANSLATE_NOOP("texts", "ブローカー %1 に接続していません（%2）。試験はこのプログラムの時計で続けます。");
inline constexpr char roomsRefused[] = QT_TRANSLATE_NOOP("texts", "%1 に届いたメッセージを使いませんでした。%2（%3）。");
inline constexpr char roomsRefusedMore[] = QT_TRANSLATE_NOOP("texts", "同じ理由で使わなかったものが、ほかに %1 件ありました。");
inline constexpr char roomsTooLarge[] = QT_TRANSLATE_NOOP("texts", "大きすぎます");
inline constexpr char roomsMalformed[] = QT_TRANSLATE_NOOP("texts", "形式が正しくありません");
inline constexpr char roomsOtherVersion[] = QT_TRANSLATE_NOOP("texts", "別の版の Tavrin のものです");
inline constexpr char roomsOtherExam[] = QT_TRANSLATE_NOOP("texts", "別の試験か別の部屋のものです");
inline constexpr char roomsNotFromController[] = QT_TRANSLATE_NOOP("texts", "この試験の操作卓から送られたものではありません");
inline constexpr char roomsBadValue[] = QT_TRANSLATE_NOOP("texts", "値が試験で使えるものではありません");
inline constexpr char roomsUnsigned[] = QT_TRANSLATE_NOOP("texts", "この試験の鍵による署名がないか、署名が正しくありません（偽造の疑い）");
inline constexpr char roomsReplayed[] = QT_TRANSLATE_NOOP("texts", "古いか順番の合わないメッセージです（再送の疑い）");
inline constexpr char roomsOtherKey[] = QT_TRANSLATE_NOOP("texts", "この部屋として承認した鍵とは別の鍵で署名されています（なりすましの疑い）");
inline constexpr char roomsOwnNameForged[] = QT_TRANSLATE_NOOP("texts", "この操作卓が送っていないメッセージが、この操作卓の名前で届きました（なりすまし）。状態を送り直しました。部屋の表示を確かめてください。");
inline constexpr char roomsLineOldVersion[] = QT_TRANSLATE_NOOP("texts", "⚠ 古い版の Tavrin からのメッセージを拒否しました。すべての PC を同じ版にしてください");
inline constexpr char roomsLineOwnNameForged[] = QT_TRANSLATE_NOOP("texts", "⚠ この操作卓の名前で偽のメッセージ");
inline constexpr char roomsLineExamKey[] = QT_TRANSLATE_NOOP("texts", "鍵 %1");
inline constexpr char roomsStatusExamKey[] = QT_TRANSLATE_NOOP("texts", "試験の鍵：%1（操作卓と部屋で同じか、目で確かめてください）");
inline constexpr char roomsKeyUnapproved[] = QT_TRANSLATE_NOOP("texts", "（鍵 未承認 %1）");
inline constexpr char readyApproveButton[] = QT_TRANSLATE_NOOP("texts", "選んだ部屋の鍵を承認");
inline constexpr char roomsKeyApprovedRecord[] = QT_TRANSLATE_NOOP("texts", "部屋 %1 の鍵 %2 を承認しました。これからはほかの鍵で署名された %1 のメッセージを拒否します。");
inline constexpr char roomsKeysSaveFailed[] = QT_TRANSLATE_NOOP("texts", "部屋の鍵の承認を保存できませんでした（%1）。承認はこの起動の間だけ有効です。フォルダに書き込めるか確かめてください。");
inline constexpr char roomsKeysReadFailed[] = QT_TRANSLATE_NOOP("texts", "承認した部屋の鍵のファイルを読めませんでした（%1）。部屋の鍵を状況の一覧で承認し直してください。");
inline constexpr char roomsTooMany[] = QT_TRANSLATE_NOOP("texts", "送られてくる数が多すぎます");
inline constexpr char roomsNotFollowed[] = QT_TRANSLATE_NOOP("texts", "いま従っている操作卓とは別の操作卓からのものです");
inline constexpr char roomsRefusedFrom[] =
    QT_TRANSLATE_NOOP("texts", "%1 に届いたメッセージを使いませんでした。%2（%3、送り手 %4）。同じ送り手からの同じ理由のものは、以後は件数だけを数えます。");
inline constexpr char roomsLeadTaken[] =
    QT_TRANSLATE_NOOP("texts", "別の操作卓（%1）が %2 にこの試験を引き継ぎました。この操作卓はもう部屋を進めません。");
inline constexpr char roomsLeaderGone[] =
    QT_TRANSLATE_NOOP("texts", "試験を進めていた操作卓の接続が切れたため、この操作卓が試験を引き継ぎました（%1 問目、%2 秒）。");
inline constexpr char roomsRoomJoined[] = QT_TRANSLATE_NOOP("texts", "部屋「%1」が接続しました。");
inline constexpr char roomsRoomLeft[] = QT_TRANSLATE_NOOP("texts", "部屋「%1」の接続が切れました。");
inline constexpr char roomsRoomBuiltinCues[] =
    QT_TRANSLATE_NOOP("texts", "部屋「%1」では、合図が音声ファイルのとおりには鳴りません（%2）。");
inline constexpr char roomsAdopted[] = QT_TRANSLATE_NOOP("texts", "操作卓の試験に合わせました（%1 問目、%2 秒）。");
inline constexpr char roomsControllerChanged[] = QT_TRANSLATE_NOOP("texts", "操作卓が替わりました。新しい操作卓に従います。");
inline constexpr char roomsOtherController[] =
    QT_TRANSLATE_NOOP("texts", "試験「%1」の操作卓として、ほかの Tavrin も名乗り出ています。操作卓は 1 台にしてください。");
inline constexpr char roomsNoOffset[] =
    QT_TRANSLATE_NOOP("texts", "操作卓から時刻の応答がないため、時計の差を 0 として合わせました。");
inline constexpr char roomsKeptRun[] =
    QT_TRANSLATE_NOOP("texts", "ブローカーから試験の状態が届かないため、この部屋で記録していた試験を続けます。");
inline constexpr char roomsTookOver[] = QT_TRANSLATE_NOOP("texts", "ブローカーに残っていた試験を引き継ぎました（%1 問目、%2 秒）。");
inline constexpr char roomsAbortedByController[] =
    QT_TRANSLATE_NOOP("texts", "操作卓のウィンドウが試験中に閉じられ、試験は中止されました。この部屋の試験も中止として記録し、止めました。");
inline constexpr char roomsAbortNotSent[] =
    QT_TRANSLATE_NOOP("texts", "ブローカーにつながっていないため、部屋には試験の中止を伝えられませんでした。部屋では試験が続いています。");

// The line under the buttons that says what this Tavrin is.
inline constexpr char roomsLineController[] = QT_TRANSLATE_NOOP("texts", "操作卓「%1」　部屋 %2/%3 接続中");
inline constexpr char roomsLineControllerWaiting[] = QT_TRANSLATE_NOOP("texts", "操作卓「%1」　ブローカーの確認中");
inline constexpr char roomsLineRoom[] = QT_TRANSLATE_NOOP("texts", "部屋「%1」：操作卓に連動　時刻差 %2");
inline constexpr char roomsLineRoomWaiting[] = QT_TRANSLATE_NOOP("texts", "部屋「%1」：操作卓を待っています");
inline constexpr char roomsLineControllerStandby[] = QT_TRANSLATE_NOOP("texts", "操作卓「%1」　待機中（%2 が進行中）");
inline constexpr char roomsLineRefused[] = QT_TRANSLATE_NOOP("texts", "⚠ 不正なメッセージを %1 件拒否");
inline constexpr char roomsLineFollowOther[] = QT_TRANSLATE_NOOP("texts", "⚠ 別の操作卓に従う部屋：%1");
inline constexpr char roomsLineNoBroker[] = QT_TRANSLATE_NOOP("texts", "● 接続なし（この時計で継続）");
inline constexpr char roomsLineClockUnanswered[] = QT_TRANSLATE_NOOP("texts", "⚠ 時刻の答えが届きません");
inline constexpr char roomsClockUnanswered[] =
    QT_TRANSLATE_NOOP("texts", "操作卓から時刻の答えが届かないため、操作卓との時刻差を測れません（時計は等しいとみなして続けます）。"
    "ブローカーのブリッジが時刻のトピック（clock と rooms/部屋/clock）と MQTT 5 の属性（応答先と相関データ）を通すか"
    "（Mosquitto では bridge_protocol_version mqttv50）確かめてください。");
inline constexpr char roomsLineNoController[] = QT_TRANSLATE_NOOP("texts", "○ 操作卓が接続していません（この時計で継続）");
inline constexpr char roomsOffsetShort[] = QT_TRANSLATE_NOOP("texts", "%1 ms");
inline constexpr char roomsOffsetUnknown[] = QT_TRANSLATE_NOOP("texts", "未測定");
inline constexpr char roomsTitleController[] = QT_TRANSLATE_NOOP("texts", "　— 試験「%1」の操作卓");
inline constexpr char roomsTitleRoom[] = QT_TRANSLATE_NOOP("texts", "　— 部屋「%1」（試験「%2」の操作卓に連動）");

// Another controller leads the same examination.
inline constexpr char roomsOtherLeadsTitle[] = QT_TRANSLATE_NOOP("texts", "別の操作卓が試験を進めています");
inline constexpr char roomsOtherLeadsQuestion[] =
    QT_TRANSLATE_NOOP("texts", "試験「%1」は、別の操作卓（%2）が %3 から進めています。\n\n"
    "この操作卓で引き継ぐと、部屋はこの操作卓に従い、試験は今の問題と秒のまま続きます。もう一方の操作卓にはそのことが伝えられます。\n"
    "引き継がなければ、この操作卓は待機し、部屋を進めません。\n\n引き継ぎますか？");
inline constexpr char roomsTakeOverYes[] = QT_TRANSLATE_NOOP("texts", "引き継ぐ");
inline constexpr char roomsTakeOverNo[] = QT_TRANSLATE_NOOP("texts", "引き継がない（待機する）");

// The rooms' status (F8).
inline constexpr char roomsStatusAction[] = QT_TRANSLATE_NOOP("texts", "部屋の状態(&R)");
inline constexpr char roomsSetupAction[] = QT_TRANSLATE_NOOP("texts", "部屋と接続の設定(&N)…");
inline constexpr char roomsStatusTitle[] = QT_TRANSLATE_NOOP("texts", "部屋の状態");
inline constexpr char roomsStatusNone[] = QT_TRANSLATE_NOOP("texts", "この Tavrin は部屋と連動していません。右クリックの「部屋と接続の設定」で設定できます。");
inline constexpr char roomsStatusHeadController[] = QT_TRANSLATE_NOOP("texts", "試験「%1」の操作卓　ブローカー %2：%3");
inline constexpr char roomsStatusHeadRoom[] = QT_TRANSLATE_NOOP("texts", "試験「%1」の部屋「%2」　ブローカー %3：%4　操作卓：%5　時刻差：%6");
inline constexpr char roomsStatusConnectedSince[] = QT_TRANSLATE_NOOP("texts", "接続中（%1 から）");
inline constexpr char roomsStatusDisconnectedSince[] = QT_TRANSLATE_NOOP("texts", "接続なし（%1 から）");
inline constexpr char roomsStatusControllerOnline[] = QT_TRANSLATE_NOOP("texts", "接続中");
inline constexpr char roomsStatusControllerOffline[] = QT_TRANSLATE_NOOP("texts", "接続なし");
inline constexpr char roomsColumns[] = QT_TRANSLATE_NOOP("texts", "部屋\t接続\t表示中の問題\t秒\t時刻差\t往復\t合図の音\t従う操作卓\t準備");
inline constexpr char roomsFollowsThis[] = QT_TRANSLATE_NOOP("texts", "この操作卓");
inline constexpr char roomsFollowsOther[] = QT_TRANSLATE_NOOP("texts", "別の操作卓 %1");
inline constexpr char roomsFollowsNone[] = QT_TRANSLATE_NOOP("texts", "なし");
inline constexpr char roomsYes[] = QT_TRANSLATE_NOOP("texts", "接続中");
inline constexpr char roomsNo[] = QT_TRANSLATE_NOOP("texts", "切断");
inline constexpr char roomsSilentTooLong[] = QT_TRANSLATE_NOOP("texts", "応答なし");
inline constexpr char roomsSince[] = QT_TRANSLATE_NOOP("texts", "%1（%2 から）");
inline constexpr char roomsQuestionState[] = QT_TRANSLATE_NOOP("texts", "%1（%2）");
inline constexpr char roomsOffsetWithTrip[] = QT_TRANSLATE_NOOP("texts", "%1（往復 %2）");
inline constexpr char roomsMs[] = QT_TRANSLATE_NOOP("texts", "%1 ms");
inline constexpr char roomsCuesOwn[] = QT_TRANSLATE_NOOP("texts", "自分のファイル");
inline constexpr char roomsCuesBuiltin[] = QT_TRANSLATE_NOOP("texts", "内蔵の音：%1");
inline constexpr char roomsCuesSilent[] = QT_TRANSLATE_NOOP("texts", "鳴らない：%1");
inline constexpr char roomsCuesUnknown[] = QT_TRANSLATE_NOOP("texts", "不明：%1");
inline constexpr char roomsStateIdle[] = QT_TRANSLATE_NOOP("texts", "開始前");
inline constexpr char roomsStateRunning[] = QT_TRANSLATE_NOOP("texts", "実行中");
inline constexpr char roomsStatePaused[] = QT_TRANSLATE_NOOP("texts", "中断中");
inline constexpr Sense roomsStateFinished = QT_TRANSLATE_NOOP3("texts", "終了", "a run that has ended");
inline constexpr char roomsClose[] = QT_TRANSLATE_NOOP("texts", "閉じる");
inline constexpr char roomsCancel[] = QT_TRANSLATE_NOOP("texts", "キャンセル");

// The setup dialog.
inline constexpr char roomsSetupTitle[] = QT_TRANSLATE_NOOP("texts", "部屋と接続の設定");
inline constexpr char roomsRoleLabel[] = QT_TRANSLATE_NOOP("texts", "この Tavrin の役割");
inline constexpr char roomsRoleNone[] = QT_TRANSLATE_NOOP("texts", "1 部屋だけで使う（ネットワークを使わない）");
inline constexpr char roomsRoleController[] = QT_TRANSLATE_NOOP("texts", "操作卓（試験を進める）");
inline constexpr char roomsRoleRoom[] = QT_TRANSLATE_NOOP("texts", "部屋（操作卓に連動して表示し、音を鳴らす）");
inline constexpr char roomsExamLabel[] = QT_TRANSLATE_NOOP("texts", "試験の名前");
inline constexpr char roomsRoomLabel[] = QT_TRANSLATE_NOOP("texts", "部屋の名前");
inline constexpr char roomsHostLabel[] = QT_TRANSLATE_NOOP("texts", "ブローカーのホスト");
inline constexpr char roomsPortLabel[] = QT_TRANSLATE_NOOP("texts", "ポート");
inline constexpr char roomsUserLabel[] = QT_TRANSLATE_NOOP("texts", "ユーザー名");
inline constexpr char roomsPasswordLabel[] = QT_TRANSLATE_NOOP("texts", "パスワード");
inline constexpr char roomsTlsLabel[] = QT_TRANSLATE_NOOP("texts", "TLS で暗号化する");
inline constexpr char roomsCaLabel[] = QT_TRANSLATE_NOOP("texts", "CA 証明書ファイル（空欄: システムの証明書）");
inline constexpr char roomsCertLabel[] = QT_TRANSLATE_NOOP("texts", "クライアント証明書ファイル");
inline constexpr char roomsKeyLabel[] = QT_TRANSLATE_NOOP("texts", "クライアント秘密鍵ファイル");
inline constexpr char roomsInsecureLabel[] = QT_TRANSLATE_NOOP("texts", "ブローカーのホスト名を確かめない（試験用）");
inline constexpr char roomsPrivateLabel[] = QT_TRANSLATE_NOOP("texts", "この PC で専用のブローカー（mosquitto）を起動する");
inline constexpr char roomsBrowse[] = QT_TRANSLATE_NOOP("texts", "…");
inline constexpr char roomsPassphraseLabel[] = QT_TRANSLATE_NOOP("texts", "操作卓の合言葉（その都度入力し、保存しません）");
inline constexpr char roomsPrivateRoomsLabel[] = QT_TRANSLATE_NOOP("texts", "専用ブローカーに入れる部屋（カンマ区切り）");
inline constexpr char roomsListenLabel[] = QT_TRANSLATE_NOOP("texts", "待ち受けるアドレス（空欄: この PC だけ）");
inline constexpr char roomsListenLan[] = QT_TRANSLATE_NOOP("texts", "LAN");
inline constexpr char roomsServerCertLabel[] = QT_TRANSLATE_NOOP("texts", "専用ブローカーの証明書ファイル（TLS）");
inline constexpr char roomsServerKeyLabel[] = QT_TRANSLATE_NOOP("texts", "専用ブローカーの秘密鍵ファイル（TLS）");
inline constexpr char roomsSetupNote[] =
    QT_TRANSLATE_NOOP("texts", "設定は作業フォルダーの Tavrin-options.ini に、持ち主だけが読めるように保存され、OK を押すとすぐに使われます。"
    "合言葉があってユーザー名とパスワードが空欄なら、部屋の名前（操作卓は tavrin-controller）と合言葉から作ったパスワードで"
    "ブローカーに入ります。専用のブローカーはその入り方だけを受け付けます。");
inline constexpr char roomsBadExamName[] =
    QT_TRANSLATE_NOOP("texts", "試験の名前は 1 ～ 40 文字で、/ + # と制御文字を含まず、前後に空白のないものにしてください。");
inline constexpr char roomsBadRoomName[] =
    QT_TRANSLATE_NOOP("texts", "部屋の名前は 1 ～ 40 文字で、/ + # と制御文字を含まず、前後に空白のないものにしてください。");
inline constexpr char roomsBadHost[] = QT_TRANSLATE_NOOP("texts", "ブローカーのホストを入力してください。");
inline constexpr char roomsSaveFailed[] = QT_TRANSLATE_NOOP("texts", "部屋と接続の設定は変えていません。");
inline constexpr char roomsTlsFileUnreadable[] = QT_TRANSLATE_NOOP("texts", "TLS のファイル %1 を使えません（%2）");
inline constexpr char roomsStartFailed[] =
    QT_TRANSLATE_NOOP("texts", "ブローカーへの接続を始められませんでした（%1）。この Tavrin は 1 部屋で動いています。"
    "右クリックの「部屋と接続の設定」で設定を確かめてください。");

// The controller found a run under way on the broker after a restart.
inline constexpr char roomsResumeTitle[] = QT_TRANSLATE_NOOP("texts", "続きの試験があります");
inline constexpr char roomsResumeQuestion[] =
    QT_TRANSLATE_NOOP("texts", "ブローカーには、試験「%1」が途中の状態で残っています（%2 問目、%3 秒、%4）。"
    "各部屋はその試験を続けています。\n\n"
    "この操作卓で続きを進めますか？\n"
    "［開始前に戻す］を選ぶと、各部屋もこの操作卓と同じ開始前の状態に戻ります。");
inline constexpr char roomsResumeYes[] = QT_TRANSLATE_NOOP("texts", "続きを進める");
inline constexpr char roomsResumeNo[] = QT_TRANSLATE_NOOP("texts", "開始前に戻す");

// The private broker.
inline constexpr char roomsNoMosquitto[] =
    QT_TRANSLATE_NOOP("texts", "専用のブローカーを起動できません（mosquitto がインストールされていないか、起動に失敗しました: %1）。"
    "別のブローカーを指定するか、mosquitto をインストールしてください。");

inline constexpr char privateBrokerRefused[] =
    QT_TRANSLATE_NOOP("texts", "専用のブローカーを起動しませんでした：%1。右クリックの「部屋と接続の設定」で直してください。");
inline constexpr char privateBrokerBadRoom[] =
    QT_TRANSLATE_NOOP("texts", "部屋の名前「%1」は専用のブローカーでは使えません（部屋の名前として使えるもので、「:」を含まず、「%2」でないもの）");
inline constexpr char privateBrokerBadAddress[] = QT_TRANSLATE_NOOP("texts", "待ち受けるアドレス「%1」は IP アドレスではありません");
inline constexpr char privateBrokerBadFile[] = QT_TRANSLATE_NOOP("texts", "ファイル名「%1」は使えません（改行と前後の空白を含まないもの）");
inline constexpr char privateBrokerCertAndKey[] = QT_TRANSLATE_NOOP("texts", "TLS には証明書ファイルと秘密鍵ファイルの両方が要ります");

// Files that hold passwords and the key.
inline constexpr char privateFileSymlink[] =
    QT_TRANSLATE_NOOP("texts", "その場所にシンボリックリンクが置かれているので、たどらずに使いませんでした。リンクを消してください。");
inline constexpr char privateFileNotAFile[] = QT_TRANSLATE_NOOP("texts", "ふつうのファイルではありません");
inline constexpr char optionsWereOpen[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル %1 は、パスワードか試験の合言葉を含むのに、ほかのユーザーも読める状態でした。"
    "持ち主だけが読めるように直しました。漏れたおそれがあれば、合言葉とパスワードを変えてください。");
inline constexpr char optionsAreOpen[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル %1 は、パスワードか試験の合言葉を含むのに、ほかのユーザーも読める状態です。"
    "持ち主が別なので直せません。持ち主に chmod 600 で直してもらってください。");
inline constexpr char keyFileUnreadable[] = QT_TRANSLATE_NOOP("texts", "鍵ファイル %1 を読めません（%2）");
inline constexpr char secretFileTooLarge[] = QT_TRANSLATE_NOOP("texts", "%1 バイトより大きいファイルです");
inline constexpr char secretFileOpen[] =
    QT_TRANSLATE_NOOP("texts", "%1 はほかのユーザーも読めるので使いません。chmod 600 %1 で持ち主だけが読めるようにしてから、もう一度指定してください");
inline constexpr char keyFileNotAKey[] =
    QT_TRANSLATE_NOOP("texts", "%1 は Tavrin の鍵ファイルではないか、壊れているので使いません。正しいファイルを指定してください");
inline constexpr char keyFileNotWritten[] = QT_TRANSLATE_NOOP("texts", "鍵ファイル %1 を書けません（%2）。フォルダーに書き込めるか確かめてください");
// A room's join file (--join FILE).
inline constexpr char joinUnreadable[] = QT_TRANSLATE_NOOP("texts", "参加ファイル %1 を使えません（%2）。操作卓で作り直したファイルを指定してください");
inline constexpr char joinNotWritten[] = QT_TRANSLATE_NOOP("texts", "参加ファイル %1 を書けません（%2）。フォルダーに書き込めるか確かめてください");
inline constexpr char joinTooLarge[] = QT_TRANSLATE_NOOP("texts", "参加ファイルにしては大きすぎます");
inline constexpr char joinNotJoin[] = QT_TRANSLATE_NOOP("texts", "Tavrin の参加ファイルではありません");
inline constexpr char joinOtherVersion[] = QT_TRANSLATE_NOOP("texts", "この版の Tavrin では読めない版の参加ファイルです");
inline constexpr char joinUnknownField[] = QT_TRANSLATE_NOOP("texts", "知らない項目があります");
inline constexpr char joinBadName[] = QT_TRANSLATE_NOOP("texts", "試験か部屋の名前が使えない名前です");
inline constexpr char joinBadKey[] = QT_TRANSLATE_NOOP("texts", "試験の公開鍵が正しくありません");
inline constexpr char joinBadBroker[] = QT_TRANSLATE_NOOP("texts", "ブローカーのアドレス、ポートか証明書の指紋が正しくありません");
inline constexpr char joinBadLogin[] = QT_TRANSLATE_NOOP("texts", "ブローカーのユーザー名かパスワードが正しくありません");
// Where a room's login and the broker's certificate come from.
inline constexpr char brokerLoginsUnreadable[] =
    QT_TRANSLATE_NOOP("texts", "専用ブローカーのログインのファイル %1 を使えません（%2）。消すと、新しいログインで作り直します（参加ファイルも書き出し直してください）");
inline constexpr char brokerLoginsNotWritten[] =
    QT_TRANSLATE_NOOP("texts", "専用ブローカーのログインのファイル %1 を書けません（%2）。フォルダーに書き込めるか確かめてください");
inline constexpr char brokerCertUnusable[] =
    QT_TRANSLATE_NOOP("texts", "専用ブローカーの証明書 %1 を使えません（%2）。証明書と鍵の両方を消すと作り直します（参加ファイルも書き出し直してください）");
inline constexpr char brokerCertNotPem[] = QT_TRANSLATE_NOOP("texts", "PEM の証明書ではありません");
inline constexpr char privateBrokerNoLogin[] = QT_TRANSLATE_NOOP("texts", "「%1」のログインがありません");
inline constexpr char brokerPinMismatch[] =
    QT_TRANSLATE_NOOP("texts", "ブローカーの証明書が参加ファイルの指紋と違うので、接続しませんでした。"
    "別の PC がブローカーになりすましているおそれがあります。操作卓で参加ファイルを書き出し直して、もう一度 --join で起動してください");
inline constexpr char brokerNotAuthorizedRoom[] =
    QT_TRANSLATE_NOOP("texts", "ブローカーがこの部屋のログインを断りました（%1）。操作卓でこの部屋の参加ファイルを書き出し直し、"
    "この PC で --join ファイル で起動し直してください");
inline constexpr char brokerLoginRefusedController[] =
    QT_TRANSLATE_NOOP("texts", "専用のブローカーが、ログインできなかった接続を断りました（%1）。"
    "部屋なら、その部屋を「専用ブローカーに入れる部屋」に加えて、参加ファイルを書き出し直して渡してください");
// Join files written by the controller.
inline constexpr char joinExportAction[] = QT_TRANSLATE_NOOP("texts", "参加ファイルを書き出す…");
inline constexpr char joinExportTitle[] = QT_TRANSLATE_NOOP("texts", "参加ファイルを書き出すフォルダー");
inline constexpr char joinExportNeedsController[] =
    QT_TRANSLATE_NOOP("texts", "参加ファイルは、専用のブローカーを使う操作卓だけが書き出せます。右クリックの「部屋と接続の設定」で設定してください");
inline constexpr char joinExportNoRooms[] =
    QT_TRANSLATE_NOOP("texts", "「専用ブローカーに入れる部屋」に部屋がないので、書き出す参加ファイルがありません");
inline constexpr char joinExportDone[] =
    QT_TRANSLATE_NOOP("texts", "%1 に参加ファイルを %2 個書き出しました。各部屋の PC で「tavrin --join ファイル」と起動してください。"
    "ファイルにはその部屋のログインが入っているので、ほかの人に渡さないでください");
inline constexpr char joinExportQrTitle[] = QT_TRANSLATE_NOOP("texts", "参加ファイル（%1）");
inline constexpr char joinExportQrNote[] =
    QT_TRANSLATE_NOOP("texts", "部屋の PC で読み取り、持ち主だけが読めるファイル（chmod 600）に保存して --join で指定します。試験の公開鍵の指紋: %1");
inline constexpr char joinNoKey[] = QT_TRANSLATE_NOOP("texts", "試験の鍵がまだ用意できていないので、書き出せませんでした。少し待ってからもう一度試してください");
inline constexpr char joinWrongOptionsSecret[] =
    QT_TRANSLATE_NOOP("texts", "設定ファイル %1 に試験の合言葉かパスワードが残っていました。次に設定を保存するときに消します。"
    "合言葉は設定画面でその都度入力するか、--key-file の鍵ファイルを使ってください");
inline constexpr char cliJoin[] = QT_TRANSLATE_NOOP("texts", "操作卓が書き出した参加ファイル FILE で、部屋として参加する。");
inline constexpr char roomsExamKeyFileLabel[] = QT_TRANSLATE_NOOP("texts", "操作卓の鍵ファイル（空欄: Tavrin-exam.key）");
inline constexpr char roomsControllerNeedsKey[] =
    QT_TRANSLATE_NOOP("texts", "この PC は部屋なので、操作卓にするには操作卓の合言葉か鍵ファイルをここで指定してください");
inline constexpr char roomsNotTheExamKey[] =
    QT_TRANSLATE_NOOP("texts", "指定された鍵はこの試験の鍵（指紋 %1）ではないので、操作卓になりませんでした。操作卓の合言葉か鍵ファイルを確かめてください");
inline constexpr char roomsTypePassphrase[] =
    QT_TRANSLATE_NOOP("texts", "この試験の操作卓の鍵は合言葉から作るので、保存していません。右クリックの「部屋と接続の設定」で操作卓の合言葉を入力してください");
inline constexpr char cliJoinAlone[] = QT_TRANSLATE_NOOP("texts", "--join は、ほかの試験や接続の指定と一緒には使えません（参加ファイルに全部入っています）");
inline constexpr char secretNotRemoved[] = QT_TRANSLATE_NOOP("texts", "もう使わないファイル %1 を消せません。手で消してください");

// The command line.
inline constexpr char cliDescription[] =
    QT_TRANSLATE_NOOP("texts", "実技試験のタイマー。オプションなしでは 1 部屋で動きます。\n"
    "--exam と --broker で試験の操作卓として、さらに --room でその試験の部屋として起動します。");
inline constexpr char cliExam[] = QT_TRANSLATE_NOOP("texts", "操作卓または部屋として加わる試験の名前。");
inline constexpr char cliRoom[] = QT_TRANSLATE_NOOP("texts", "部屋 NAME として、操作卓に連動して起動する。");
inline constexpr char cliBroker[] = QT_TRANSLATE_NOOP("texts", "MQTT ブローカーのホストとポート（省略時 1883）。");
inline constexpr char cliPrivateBroker[] = QT_TRANSLATE_NOOP("texts", "操作卓がこの PC で専用の mosquitto を起動する（ポートは --broker のもの）。");
inline constexpr char cliKeyFile[] =
    QT_TRANSLATE_NOOP("texts", "操作卓の試験の秘密鍵を FILE から読む（ないときは作る。持ち主だけが読めるファイル）。省略時は設定ファイルの隣の Tavrin-exam.key。");
inline constexpr char cliFile[] = QT_TRANSLATE_NOOP("texts", "FILE");
inline constexpr char cliName[] = QT_TRANSLATE_NOOP("texts", "NAME");
inline constexpr char cliHostPort[] = QT_TRANSLATE_NOOP("texts", "HOST[:PORT]");
inline constexpr char cliRefused[] =
    QT_TRANSLATE_NOOP("texts", "コマンドラインの指定を使えません：%1\nこの Tavrin は部屋と連動せずに動いています。");
inline constexpr char cliNeedBoth[] = QT_TRANSLATE_NOOP("texts", "--exam と --broker は両方とも指定してください");
inline constexpr char cliBadPort[] = QT_TRANSLATE_NOOP("texts", "ポート「%1」は 1 ～ 65535 の数ではありません");
inline constexpr char cliBadName[] = QT_TRANSLATE_NOOP("texts", "名前「%1」は使えません（1 ～ 40 文字、/ + # と制御文字を含まない）");


// The browser view.
inline constexpr char webShow[] = QT_TRANSLATE_NOOP("texts", "ブラウザに表示");
inline constexpr char webAddressItem[] = QT_TRANSLATE_NOOP("texts", "ブラウザ表示のアドレスと QR コード…");
inline constexpr char webDialogTitle[] = QT_TRANSLATE_NOOP("texts", "ブラウザ表示");
inline constexpr char webDialogOn[] =
    QT_TRANSLATE_NOOP("texts", "同じネットワークのタブレット・スマートフォン・PC のブラウザで、次のアドレスを開いてください"
    "（QR コードはスマートフォンのカメラで読めます）。画面をタップすると全画面になり、音も鳴ります。");
inline constexpr char webDialogOff[] =
    QT_TRANSLATE_NOOP("texts", "ブラウザ表示は止まっています。右クリックメニューの「ブラウザに表示」で始めてください。");
inline constexpr char webNoNetwork[] =
    QT_TRANSLATE_NOOP("texts", "LAN のアドレスでは表示していません（この PC がネットワークにつながっていないか、[web] の address に LAN のアドレスがありません）。"
    "ネットワークにつないでからブラウザ表示を始め直すと、ほかの端末から開けます。");
inline constexpr char webNotStarted[] =
    QT_TRANSLATE_NOOP("texts", "ブラウザ表示を始められません（ポート %1：%2）。"
    "そのポートを使っているプログラムを終了するか、%3 の [web] の port に別のポートを書いてください。"
    "[web] の address にこの PC のものでないアドレスがあれば、消してください。");
inline constexpr char webBadAddress[] =
    QT_TRANSLATE_NOOP("texts", "ブラウザ表示を始められません：%2 の [web] の address の「%1」はアドレスではありません。"
    "127.0.0.1, 192.168.1.10 のようにコンマで区切って書くか、address の行を消してください"
    "（この PC のループバックと LAN のアドレスで表示します）。");
inline constexpr char webCliRefused[] = QT_TRANSLATE_NOOP("texts", "--web の指定を使えません：%1\nブラウザ表示は止まっています。");
inline constexpr char webPages[] = QT_TRANSLATE_NOOP("texts", "開いているページ：%1");
inline constexpr char cliWeb[] =
    QT_TRANSLATE_NOOP("texts", "部屋の表示をブラウザにも出す（--web のあとにポート番号を書けます。省略時は前回のポート、初めは 8765）。");
// What the page itself shows (sent to it when it connects).
inline constexpr char webOffset[] = QT_TRANSLATE_NOOP("texts", "時差 %1 ms（往復 %2 ms）");
inline constexpr char webLost[] = QT_TRANSLATE_NOOP("texts", "● 接続待ち");
inline constexpr char webTap[] = QT_TRANSLATE_NOOP("texts", "タップで全画面・音");
// A start at a time of day (F9, --start-at).
inline constexpr char startAtAction[] = QT_TRANSLATE_NOOP("texts", "開始時刻を予約...");
inline constexpr char startAtCancelAction[] = QT_TRANSLATE_NOOP("texts", "開始時刻の予約を取り消す");
inline constexpr char startAtTitle[] = QT_TRANSLATE_NOOP("texts", "開始時刻の予約");
inline constexpr char startAtPrompt[] =
    QT_TRANSLATE_NOOP("texts", "今日の開始時刻を 時:分 または 時:分:秒 で入力してください（例 09:00）。\n"
    "その時刻の 0 秒ちょうどに試験が始まります。");
inline constexpr char startAtUnreadable[] =
    QT_TRANSLATE_NOOP("texts", "開始時刻「%1」は読めません。今日の 時:分 または 時:分:秒 で入力してください（例 09:00、13:30:00）。");
inline constexpr char startAtPassed[] =
    QT_TRANSLATE_NOOP("texts", "開始時刻 %1 は今日の時刻としてはもう過ぎています（いまは %2）。予約していません。\n"
    "日付をまたぐ予約はできません。今日のこれからの時刻を入力してください。");
inline constexpr char startAtNotIdle[] =
    QT_TRANSLATE_NOOP("texts", "試験が進行中のため、開始時刻を予約できません。リセットしてから予約してください。");
inline constexpr char startAtRoom[] =
    QT_TRANSLATE_NOOP("texts", "この Tavrin は部屋として操作卓に連動しています。開始時刻は操作卓で予約してください。");
inline constexpr char startAtSet[] = QT_TRANSLATE_NOOP("texts", "開始時刻 %1 を予約しました。");
inline constexpr char startAtKept[] = QT_TRANSLATE_NOOP("texts", "予約されていた開始時刻 %1 を引き続き待ちます。");
inline constexpr char startAtCancelled[] = QT_TRANSLATE_NOOP("texts", "開始時刻 %1 の予約を取り消しました。");
inline constexpr char startAtFromController[] = QT_TRANSLATE_NOOP("texts", "操作卓が開始時刻 %1 を予約しました。");
inline constexpr char startAtCancelledByController[] = QT_TRANSLATE_NOOP("texts", "操作卓が開始時刻の予約を取り消しました。");
inline constexpr char startAtStarted[] = QT_TRANSLATE_NOOP("texts", "予約した開始時刻 %1 に試験を開始しました。");
inline constexpr char startAtLate[] = QT_TRANSLATE_NOOP("texts", "予約した開始時刻 %1 に間に合わず、%2 ミリ秒遅れて開始しました。");
inline constexpr char startAtButtonWaits[] =
    QT_TRANSLATE_NOOP("texts", "開始時刻 %1 の予約があります。その時刻に自動で開始します。\n"
    "いますぐ開始するには、右クリックのメニューで予約を取り消して（Shift+F9）から［開始］を押してください。");
inline constexpr char startAtMissed[] =
    QT_TRANSLATE_NOOP("texts", "予約されていた開始時刻 %1 は、この Tavrin が動いていない間に過ぎ、その試験はもう終わっている時刻です。予約は取り消しました。");
inline constexpr char startAtCountdown[] = QT_TRANSLATE_NOOP("texts", "開始まで\n%1");
inline constexpr char cliStartAt[] = QT_TRANSLATE_NOOP("texts", "今日の開始時刻 HH:MM[:SS] を予約する。");
inline constexpr char cliTime[] = QT_TRANSLATE_NOOP("texts", "HH:MM[:SS]");

// The ready board (F8 on the controller) and the sound check a controller asks for.
inline constexpr char readyLine[] = QT_TRANSLATE_NOOP("texts", "%1接続 %2・時刻差 %3・部屋の表示 %4・音の確認 %5・記録 %6");
inline constexpr char readyMark[] = QT_TRANSLATE_NOOP("texts", "準備よし：");
inline constexpr char readyNotMark[] = QT_TRANSLATE_NOOP("texts", "準備まだ：");
inline constexpr char readyYes[] = QT_TRANSLATE_NOOP("texts", "○");
inline constexpr char readyNo[] = QT_TRANSLATE_NOOP("texts", "×");
// Which clock a room keeps: its time daemon's (chrony ±0.05 ms), or the one
// measured through the broker, and why a clock that says it is synchronised
// is not kept.
inline constexpr char readyClockSystem[] = QT_TRANSLATE_NOOP("texts", "%1 ±%2 ms");
inline constexpr char readyClockSystemUnnamed[] = QT_TRANSLATE_NOOP("texts", "システム時計");
inline constexpr char readyClockMeasured[] = QT_TRANSLATE_NOOP("texts", "ブローカー経由で測定 ±%1 ms");
inline constexpr char readyClockLargeError[] = QT_TRANSLATE_NOOP("texts", "（同期済みの時計は誤差 %1 ms と大きいため使いません）");
inline constexpr char readyClockDisagrees[] = QT_TRANSLATE_NOOP("texts", "（同期済みと報告する時計がブローカー経由の測定と合わないため使いません。時刻サーバーの設定を確かめてください）");
inline constexpr char readyUnknown[] = QT_TRANSLATE_NOOP("texts", "不明");
inline constexpr char readyDisplayClosed[] = QT_TRANSLATE_NOOP("texts", "閉じている");
inline constexpr char readyCheckNone[] = QT_TRANSLATE_NOOP("texts", "まだしていない");
inline constexpr char readyChecking[] = QT_TRANSLATE_NOOP("texts", "確認中");
inline constexpr char readyCheckAt[] = QT_TRANSLATE_NOOP("texts", "%1（%2）");
inline constexpr char readyCue[] = QT_TRANSLATE_NOOP("texts", "%1 %2");
inline constexpr char readyCueOwn[] = QT_TRANSLATE_NOOP("texts", "自分のファイル");
inline constexpr char readyCueBuiltin[] = QT_TRANSLATE_NOOP("texts", "内蔵音");
inline constexpr char readyCueSilent[] = QT_TRANSLATE_NOOP("texts", "無音");
inline constexpr char readyCueNotHeard[] = QT_TRANSLATE_NOOP("texts", "鳴らず");
inline constexpr char readyOld[] = QT_TRANSLATE_NOOP("texts", "この部屋の Tavrin は準備の状態を送りません（古い版です）");
inline constexpr char readySummary[] = QT_TRANSLATE_NOOP("texts", "準備のできた部屋：%1 / %2");
inline constexpr char readyAskButton[] = QT_TRANSLATE_NOOP("texts", "全部屋で音の確認");
inline constexpr char readyAskRunning[] =
    QT_TRANSLATE_NOOP("texts", "試験の進行中は、部屋に音の確認を頼めません。試験の前か、リセットの後に頼んでください。");
inline constexpr char readyAskTooSoon[] =
    QT_TRANSLATE_NOOP("texts", "音の確認は %1 秒前に頼んだばかりです。各部屋の確認が終わるまでお待ちください。");
inline constexpr char readyAskNotConnected[] =
    QT_TRANSLATE_NOOP("texts", "ブローカーにつながっていないため、音の確認を頼めませんでした。接続を確かめてから、もう一度押してください。");
inline constexpr char readyAskSent[] = QT_TRANSLATE_NOOP("texts", "全部屋に音の確認を頼みました。");
inline constexpr char readyRefusedRunning[] = QT_TRANSLATE_NOOP("texts", "操作卓からの音の確認の依頼を断りました（試験の進行中です）。");
inline constexpr char readyCheckRecord[] = QT_TRANSLATE_NOOP("texts", "部屋 %1 の音の確認（%2）：%3");
inline constexpr char readyCheckAsked[] = QT_TRANSLATE_NOOP("texts", "操作卓の依頼で音の確認を始めました。");

// The speaker's delay: what the output reports, and the room's own correction.
inline constexpr char speakerAction[] = QT_TRANSLATE_NOOP("texts", "スピーカーの遅れの補正...");
inline constexpr char speakerTitle[] = QT_TRANSLATE_NOOP("texts", "スピーカーの遅れの補正");
inline constexpr char speakerPrompt[] =
    QT_TRANSLATE_NOOP("texts", "この PC のスピーカーが、報告より遅れて（または早く）鳴らす分をミリ秒で入力してください"
    "（%1 ～ %2、遅れるときはプラス）。\n合図はその分だけ早く出します。"
    "いまの出力：%3");
inline constexpr char speakerOutOfRange[] =
    QT_TRANSLATE_NOOP("texts", "補正 %1 ms は受け付けません。%2 ～ %3 ms の範囲で入力してください。補正は %4 ms のままです。");
inline constexpr char speakerFileOutOfRange[] =
    QT_TRANSLATE_NOOP("texts", "オプションファイルの [sound] speakerDelayMs「%1」は使えません（%2 ～ %3 の整数だけ）。補正なし（0 ms）で鳴らします。\n"
    "右クリックの「スピーカーの遅れの補正」（F12）で設定し直してください。");
inline constexpr char speakerSet[] = QT_TRANSLATE_NOOP("texts", "スピーカーの遅れの補正を %1 ms にしました。");
inline constexpr char speakerOutput[] = QT_TRANSLATE_NOOP("texts", "%1（報告された遅れ %2 ms）%3");
inline constexpr char speakerOutputUnknown[] = QT_TRANSLATE_NOOP("texts", "報告なし");
inline constexpr char speakerRiskBluetooth[] = QT_TRANSLATE_NOOP("texts", "Bluetooth");
inline constexpr char speakerRiskNetwork[] = QT_TRANSLATE_NOOP("texts", "ネットワーク");
inline constexpr char speakerRisk[] = QT_TRANSLATE_NOOP("texts", "【注意：%1 の出力は遅れが大きく、変わりやすい】");
// On the ready board.
inline constexpr char readySpeaker[] = QT_TRANSLATE_NOOP("texts", "・スピーカー 遅れ %1 ms＋補正 %2 ms%3");
// A room's correction set from the controller's board.
inline constexpr char speakerAskButton[] = QT_TRANSLATE_NOOP("texts", "選んだ部屋のスピーカー補正…");
inline constexpr char speakerAskTitle[] = QT_TRANSLATE_NOOP("texts", "部屋のスピーカーの遅れの補正");
inline constexpr char speakerAskPrompt[] =
    QT_TRANSLATE_NOOP("texts", "部屋 %1 のスピーカーの遅れの補正をミリ秒で入力してください（%4 ～ %5、遅れるときはプラス）。\n"
    "いま：報告された遅れ %2 ms、補正 %3 ms。部屋はすぐにこの補正で鳴らし、オプションファイルに残します。");
inline constexpr char speakerAskOutOfRange[] =
    QT_TRANSLATE_NOOP("texts", "補正 %1 ms は送りません。%2 ～ %3 ms の範囲で入力してください。");
inline constexpr char speakerAskNotController[] =
    QT_TRANSLATE_NOOP("texts", "この PC は操作卓として試験に加わっていないため、部屋の補正を変えられませんでした。"
    "部屋の PC の F12 で変えてください。");
inline constexpr char speakerAskNotFollowing[] =
    QT_TRANSLATE_NOOP("texts", "部屋 %1 はいまこの操作卓に従っていないため、補正を送りませんでした。部屋の接続を確かめてから、もう一度押してください。");
inline constexpr char speakerAskOld[] =
    QT_TRANSLATE_NOOP("texts", "部屋 %1 の Tavrin は古い版のため、操作卓から補正を変えられません。部屋の PC の F12 で変えてください。");
inline constexpr char speakerAskRunning[] =
    QT_TRANSLATE_NOOP("texts", "部屋 %1 は試験の進行中のため、補正を送りませんでした。試験の前か後に変えるか、部屋の PC の F12 で変えてください。");
inline constexpr char speakerAskTooSoon[] =
    QT_TRANSLATE_NOOP("texts", "一つの部屋に送れるのは 2 秒に一度までです。少し待ってから、もう一度押してください。");
inline constexpr char speakerAskSent[] = QT_TRANSLATE_NOOP("texts", "部屋 %1 にスピーカーの補正（%2 ms → %3 ms）を送りました。");
inline constexpr char speakerAskTaken[] = QT_TRANSLATE_NOOP("texts", "操作卓がスピーカーの遅れの補正を %1 ms から %2 ms に変えました。");
inline constexpr char speakerAskRefusedRunning[] =
    QT_TRANSLATE_NOOP("texts", "操作卓からのスピーカーの補正（%1 ms）を断りました（試験の進行中です）。補正は %2 ms のままです。");
inline constexpr char speakerAskNotHere[] =
    QT_TRANSLATE_NOOP("texts", "操作卓からのスピーカーの補正を使えませんでした。この PC の F12 で変えてください。");
inline constexpr char roomsLineSpeakerChanged[] = QT_TRANSLATE_NOOP("texts", "操作卓がスピーカー補正を %1→%2 ms に変更（%3）");

// One room held while the others go on, and brought back.
inline constexpr char holdCaption[] = QT_TRANSLATE_NOOP("texts", "停止中");
inline constexpr char holdRejoinCountdown[] = QT_TRANSLATE_NOOP("texts", "再開まで\n%1 秒");
inline constexpr char holdRejoinWaiting[] = QT_TRANSLATE_NOOP("texts", "次の問題から\n再開します");
inline constexpr char holdByController[] = QT_TRANSLATE_NOOP("texts", "操作卓");
inline constexpr char holdByRoom[] = QT_TRANSLATE_NOOP("texts", "この部屋");
inline constexpr char holdByRoomOther[] = QT_TRANSLATE_NOOP("texts", "部屋");
inline constexpr char holdHeld[] = QT_TRANSLATE_NOOP("texts", "この部屋を止めました（%1 の操作、%2 問目）。ほかの部屋はそのまま進みます。");
inline constexpr char holdReleased[] = QT_TRANSLATE_NOOP("texts", "この部屋を戻します（%1 の操作）。次の問題の始まりから、ほかの部屋と一緒に進みます。");
inline constexpr char holdRejoined[] = QT_TRANSLATE_NOOP("texts", "この部屋はほかの部屋と一緒に進んでいます。");
inline constexpr char holdAction[] = QT_TRANSLATE_NOOP("texts", "この部屋を止める／戻す...");
inline constexpr char holdTitle[] = QT_TRANSLATE_NOOP("texts", "この部屋を止める");
inline constexpr char holdAsk[] =
    QT_TRANSLATE_NOOP("texts", "この部屋の時計を止めます。ほかの部屋はそのまま進みます。\n"
    "戻すときは、もう一度 Ctrl+F8 を押すか、操作卓から戻してください。\n止めますか？");
inline constexpr char releaseAsk[] =
    QT_TRANSLATE_NOOP("texts", "この部屋を戻します。次の問題の始まりから、ほかの部屋と一緒に進みます。\n戻しますか？");
inline constexpr char holdNotRoom[] =
    QT_TRANSLATE_NOOP("texts", "この PC は部屋として試験に加わっていないため、止められませんでした。"
    "操作卓の「部屋の状態」（F8）から部屋を止めるか、部屋の設定を確かめてください。");
inline constexpr char holdNotSent[] =
    QT_TRANSLATE_NOOP("texts", "部屋 %1 への指示を送れませんでした（ブローカーにつながっていません）。接続を確かめてから、もう一度押してください。");
inline constexpr char holdSent[] = QT_TRANSLATE_NOOP("texts", "部屋 %1 に「%2」を送りました。");
inline constexpr char holdButton[] = QT_TRANSLATE_NOOP("texts", "選んだ部屋を止める");
inline constexpr char releaseButton[] = QT_TRANSLATE_NOOP("texts", "選んだ部屋を戻す");
inline constexpr char holdPickRoom[] = QT_TRANSLATE_NOOP("texts", "表で部屋を一つ選んでから押してください。");
inline constexpr char holdConfirmRoom[] = QT_TRANSLATE_NOOP("texts", "部屋 %1 を止めます。ほかの部屋はそのまま進みます。止めますか？");
inline constexpr char holdColumn[] = QT_TRANSLATE_NOOP("texts", "停止");
inline constexpr char holdCell[] = QT_TRANSLATE_NOOP("texts", "止めています（%1）");
inline constexpr char holdCellCountdown[] = QT_TRANSLATE_NOOP("texts", "再開まで %1 秒");
inline constexpr char holdCellWaiting[] = QT_TRANSLATE_NOOP("texts", "再開待ち（次の問題）");
inline constexpr char readyHeld[] = QT_TRANSLATE_NOOP("texts", "・止めています（%1）");
// The record of each hold.
inline constexpr char holdRecord[] = QT_TRANSLATE_NOOP("texts", "部屋 %1 の停止：%2 から %3 まで、失った問題 %4（止めたのは %5）");
inline constexpr char holdLostNone[] = QT_TRANSLATE_NOOP("texts", "なし");
inline constexpr char holdLostRange[] = QT_TRANSLATE_NOOP("texts", "%1～%2 問目");
inline constexpr char holdLostOne[] = QT_TRANSLATE_NOOP("texts", "%1 問目");
// Questions lost in one block of a programme, and between two blocks.
inline constexpr char holdLostInPart[] = QT_TRANSLATE_NOOP("texts", "第 %1 部 %2");
inline constexpr char holdLostJoin[] = QT_TRANSLATE_NOOP("texts", "、");
inline constexpr char holdCellLost[] = QT_TRANSLATE_NOOP("texts", "%1（失う問題 %2）");
// A held room started again, and the controller's release it missed.
inline constexpr char holdKept[] = QT_TRANSLATE_NOOP(
    "texts", "この部屋は止めたまま起動しました（%1 の操作、%2 から）。戻すまで止まっています。戻すには Ctrl+F8 を押すか、操作卓で戻してください。");
inline constexpr char holdResent[] =
    QT_TRANSLATE_NOOP("texts", "部屋 %1 は止めたまま戻ってきました。止まっている間に送った「戻す」をもう一度送りました。");
inline constexpr char holdEvent[] = QT_TRANSLATE_NOOP("texts", "部屋の停止");
inline constexpr char holdsExport[] = QT_TRANSLATE_NOOP("texts", "停止の記録を CSV に書き出す...");
inline constexpr char holdsSaveName[] = QT_TRANSLATE_NOOP("texts", "部屋の停止.csv");
inline constexpr char holdsExportTitle[] = QT_TRANSLATE_NOOP("texts", "停止の記録を CSV に書き出す");
inline constexpr const char *holdsColumns[] = {QT_TRANSLATE_NOOP("record", "部屋"), QT_TRANSLATE_NOOP("record", "止めた時刻"),
                                              QT_TRANSLATE_NOOP("record", "戻った時刻"), QT_TRANSLATE_NOOP("record", "失った問題"),
                                              QT_TRANSLATE_NOOP("record", "止めたのは")};

// The programme: its file, its editor (F4) and its timetable (Shift+F4).
inline constexpr char programmeLine[] = QT_TRANSLATE_NOOP("texts", "%1 行目：%2");
inline constexpr char programmePart[] = QT_TRANSLATE_NOOP("texts", "%1 番目の部：%2");
inline constexpr char programmeTooBig[] = QT_TRANSLATE_NOOP("texts", "ファイルが大きすぎます（%1 バイトまで）。");
inline constexpr char programmeNotUtf8[] =
    QT_TRANSLATE_NOOP("texts", "UTF-8 として読めないバイトがあります。UTF-8 で保存し直してください。");
inline constexpr char programmeUnknownSection[] =
    QT_TRANSLATE_NOOP("texts", "「%1」は使えません。部は [block]（問題のブロック）か [break]（休憩）だけです。");
inline constexpr char programmeKeyOutside[] =
    QT_TRANSLATE_NOOP("texts", "「%1」がどの部にも入っていません。先に [block] か [break] の行を書いてください。");
inline constexpr char programmeNotKeyValue[] =
    QT_TRANSLATE_NOOP("texts", "「%1」は読めません。書けるのは「キー = 値」、# で始まるコメント、[block] と [break] だけです。");
inline constexpr char programmeUnknownKey[] = QT_TRANSLATE_NOOP("texts", "キー「%1」は [%2] では使えません。使えるキー：%3。");
inline constexpr char programmeDuplicateKey[] = QT_TRANSLATE_NOOP("texts", "キー「%1」がこの部に 2 度あります。1 度だけ書いてください。");
inline constexpr char programmeNotNumber[] = QT_TRANSLATE_NOOP("texts", "%1「%2」は整数ではありません。1 ～ %3 の整数を書いてください。");
inline constexpr char programmeNotPositive[] = QT_TRANSLATE_NOOP("texts", "%1「%2」は 0 以下です。1 ～ %3 の整数を書いてください。");
inline constexpr char programmeTooLarge[] = QT_TRANSLATE_NOOP("texts", "%1「%2」は大きすぎます。1 ～ %3 の整数を書いてください。");
inline constexpr char programmeNotYesNo[] = QT_TRANSLATE_NOOP("texts", "%1「%2」は yes か no で書いてください。");
inline constexpr char programmeBannerTooLong[] = QT_TRANSLATE_NOOP("texts", "%1 が %2 文字あります。%3 文字までにしてください。");
inline constexpr char programmeBannerControl[] = QT_TRANSLATE_NOOP("texts", "%1 に制御文字があります。ふつうの文字だけにしてください。");
inline constexpr char programmeMissingKey[] = QT_TRANSLATE_NOOP("texts", "[%1] にキー「%2」がありません（必ず書くキー：%3）。");
inline constexpr char programmeBlockTooLong[] =
    QT_TRANSLATE_NOOP("texts", "このブロックは (%1 ＋ %2 ＋ %3) × %4 ＝ %5 秒で、%6 秒を超えます。時間か問題数を減らしてください。");
inline constexpr char programmeTooLong[] =
    QT_TRANSLATE_NOOP("texts", "ここまでで %1 秒になり、24 時間（%2 秒）を超えます。部を減らすか短くしてください。");
inline constexpr char programmeTooManyParts[] = QT_TRANSLATE_NOOP("texts", "部が %1 を超えます。1 つのプログラムは %1 部までです。");
inline constexpr char programmeNoParts[] = QT_TRANSLATE_NOOP("texts", "部が 1 つもありません。[block] か [break] を 1 つ以上書いてください。");
inline constexpr char programmeNotAFile[] = QT_TRANSLATE_NOOP("texts", "ふつうのファイルではありません。プログラムのファイルを選んでください。");
inline constexpr char programmeUnreadable[] = QT_TRANSLATE_NOOP("texts", "ファイルを読めませんでした（%1）。");
inline constexpr char programmeNotWritten[] = QT_TRANSLATE_NOOP("texts", "ファイル「%1」に書けませんでした（%2）。ファイルは前のままです。");
// At the head of every programme file the program writes.
inline constexpr char programmeFileHead[] =
    QT_TRANSLATE_NOOP("texts", "# Tavrin のプログラム（UTF-8）。# で始まる行はコメントです。\n"
    "# 部は上から順に進みます。[block] は問題のブロック、[break] は休憩です。\n"
    "# [block]  questions = 問題数、answer = 解答時間（秒）、move = 移動時間（秒）\n"
    "#          reading = 読む時間（秒、省略可）、reading banner = 読む時間の掲示、\n"
    "#          reading cue = 読む時間の終わりの合図（yes / no）\n"
    "# [break]  seconds = 休憩の長さ（秒）、banner = 休憩中の掲示\n"
    "# 時間と問題数は 1 ～ 32767、1 ブロックは 32767 秒まで、全体は 24 時間までです。\n");

inline constexpr char timetableAction[] = QT_TRANSLATE_NOOP("texts", "時間割...");
inline constexpr char timetableTitle[] = QT_TRANSLATE_NOOP("texts", "時間割");
inline constexpr char timetableStartAt[] = QT_TRANSLATE_NOOP("texts", "%1 %2 開始の時間割");
inline constexpr char timetableNoStart[] =
    QT_TRANSLATE_NOOP("texts", "開始時刻が予約されていないため、開始からの時間（開始＋0:00:00）で示します。"
    "時刻で示すには、右クリックの「開始時刻を予約」（F9）で予約してください。");
inline constexpr char timetableThreeBoxes[] =
    QT_TRANSLATE_NOOP("texts", "プログラムが選ばれていないため、3 つの欄の時間と問題数（1 ブロック）で示します。");
inline constexpr char timetablePartColumn[] = QT_TRANSLATE_NOOP("texts", "部");
inline constexpr char timetableWhatColumn[] = QT_TRANSLATE_NOOP("texts", "内容");
inline constexpr char timetableFromColumn[] = QT_TRANSLATE_NOOP("texts", "開始");
inline constexpr char timetableToColumn[] = QT_TRANSLATE_NOOP("texts", "終わり");
inline constexpr char timetableFirst[] = QT_TRANSLATE_NOOP("texts", "ブロック %1　第 1 問");
inline constexpr char timetableLast[] = QT_TRANSLATE_NOOP("texts", "ブロック %1　第 %2 問（最後）");
inline constexpr char timetableBreak[] = QT_TRANSLATE_NOOP("texts", "休憩");
inline constexpr char timetableBreakBanner[] = QT_TRANSLATE_NOOP("texts", "休憩（%1）");
inline constexpr Sense timetableEnd = QT_TRANSLATE_NOOP3("texts", "終了", "the last row of a timetable");
inline constexpr char timetablePdf[] = QT_TRANSLATE_NOOP("texts", "PDF に書き出す...");
inline constexpr char timetableCsv[] = QT_TRANSLATE_NOOP("texts", "CSV に書き出す...");
inline constexpr char timetablePdfFilter[] = QT_TRANSLATE_NOOP("texts", "PDF (*.pdf)");
inline constexpr char timetableCsvFilter[] = QT_TRANSLATE_NOOP("texts", "CSV (*.csv)");
inline constexpr char timetablePdfFile[] = "Tavrin-timetable.pdf";
inline constexpr char timetableCsvFile[] = "Tavrin-timetable.csv";
inline constexpr char timetableSaved[] = QT_TRANSLATE_NOOP("texts", "時間割を「%1」に書き出しました。");
inline constexpr char timetableNotSaved[] =
    QT_TRANSLATE_NOOP("texts", "時間割を「%1」に書き出せませんでした（%2）。ほかの場所を選んで、もう一度書き出してください。");
inline constexpr char dialogClose[] = QT_TRANSLATE_NOOP("texts", "閉じる");

inline constexpr char cliProgramme[] = QT_TRANSLATE_NOOP("texts", "プログラムのファイル FILE（ブロックと休憩の並び）で試験を進める。");
inline constexpr char programmeAction[] = QT_TRANSLATE_NOOP("texts", "プログラム...");
inline constexpr char programmeTitle[] = QT_TRANSLATE_NOOP("texts", "プログラム（ブロックと休憩）");
inline constexpr char programmeKindColumn[] = QT_TRANSLATE_NOOP("texts", "種類");
inline constexpr char programmeQuestionsColumn[] = QT_TRANSLATE_NOOP("texts", "問題数");
inline constexpr char programmeReadingColumn[] = QT_TRANSLATE_NOOP("texts", "読む時間");
inline constexpr char programmeAnswerColumn[] = QT_TRANSLATE_NOOP("texts", "解答");
inline constexpr char programmeMoveColumn[] = QT_TRANSLATE_NOOP("texts", "移動");
inline constexpr char programmeBreakColumn[] = QT_TRANSLATE_NOOP("texts", "休憩");
inline constexpr char programmeBannerColumn[] = QT_TRANSLATE_NOOP("texts", "掲示");
inline constexpr char programmeCueColumn[] = QT_TRANSLATE_NOOP("texts", "読む時間の合図");
inline constexpr char programmeLengthColumn[] = QT_TRANSLATE_NOOP("texts", "長さ");
inline constexpr char programmeBlockKind[] = QT_TRANSLATE_NOOP("texts", "ブロック");
inline constexpr char programmeBreakKind[] = QT_TRANSLATE_NOOP("texts", "休憩");
inline constexpr char programmeReadingNone[] = QT_TRANSLATE_NOOP("texts", "なし");
inline constexpr char programmeSecondsSuffix[] = QT_TRANSLATE_NOOP("texts", " 秒");
inline constexpr char programmeTotal[] = QT_TRANSLATE_NOOP("texts", "合計 %1（%2 秒）");
inline constexpr char programmeStartNote[] = QT_TRANSLATE_NOOP("texts", "開始時刻 %1 からの時刻で示しています。");
inline constexpr char programmeNoStartNote[] =
    QT_TRANSLATE_NOOP("texts", "開始時刻が予約されていないため、開始からの時間で示しています（F9 で予約すると時刻になります）。");
inline constexpr char programmeInUse[] = QT_TRANSLATE_NOOP("texts", "使用中：%1");
inline constexpr char programmeInUseNone[] = QT_TRANSLATE_NOOP("texts", "使用中：なし（3 つの欄の時間と問題数）");
inline constexpr char programmeUnsaved[] = QT_TRANSLATE_NOOP("texts", "（保存していないプログラム）");
inline constexpr char programmeAddBlock[] = QT_TRANSLATE_NOOP("texts", "ブロックを追加");
inline constexpr char programmeAddBreak[] = QT_TRANSLATE_NOOP("texts", "休憩を追加");
inline constexpr char programmeRemove[] = QT_TRANSLATE_NOOP("texts", "削除");
inline constexpr char programmeUp[] = QT_TRANSLATE_NOOP("texts", "上へ");
inline constexpr char programmeDown[] = QT_TRANSLATE_NOOP("texts", "下へ");
inline constexpr char programmeOpen[] = QT_TRANSLATE_NOOP("texts", "開く...");
inline constexpr char programmeSaveAs[] = QT_TRANSLATE_NOOP("texts", "名前を付けて保存...");
inline constexpr char programmeUse[] = QT_TRANSLATE_NOOP("texts", "使う");
inline constexpr char programmeUseNone[] = QT_TRANSLATE_NOOP("texts", "使わない（3 つの欄に戻す）");
inline constexpr char programmeFileFilter[] = QT_TRANSLATE_NOOP("texts", "Tavrin のプログラム (*.txt *.tavrin);;すべてのファイル (*)");
inline constexpr char programmeDefaultFile[] = "Tavrin-programme.txt";
inline constexpr char programmeDefaultBreakBanner[] = QT_TRANSLATE_NOOP("texts", "休憩中");
inline constexpr char programmeChosen[] = QT_TRANSLATE_NOOP("texts", "プログラム %1 を使います（%2 部、合計 %3）。");
inline constexpr char programmeNoneChosen[] = QT_TRANSLATE_NOOP("texts", "プログラムを使わず、3 つの欄の時間と問題数で進めます。");
inline constexpr char programmeRefused[] =
    QT_TRANSLATE_NOOP("texts", "プログラムのファイル「%1」を読み込みませんでした。\n%2\n"
    "使用中のプログラムは変わっていません。ファイルを直してから、右クリックの「プログラム」（F4）で開き直してください。");
inline constexpr char programmeNotUsed[] =
    QT_TRANSLATE_NOOP("texts", "このプログラムは使えません。\n%1\n使用中のプログラムは変わっていません。直してから「使う」を押してください。");
inline constexpr char programmeSaved[] = QT_TRANSLATE_NOOP("texts", "プログラムを「%1」に保存しました。");
inline constexpr char programmeNotIdle[] =
    QT_TRANSLATE_NOOP("texts", "試験の進行中はプログラムを変えられません。リセットしてから選び直してください。");

// For candidates who cannot hear the cues or tell the dots' colours apart,
// and the names a screen reader reads for the window's controls and dialogs.
inline constexpr char accessShapesAction[] = QT_TRANSLATE_NOOP("texts", "点の色を形でも示す（黄に輪、赤に×）");
inline constexpr char accessCuesAction[] = QT_TRANSLATE_NOOP("texts", "合図を画面の縁の色帯でも示す");
inline constexpr char a11yStartDesc[] =
    QT_TRANSLATE_NOOP("texts", "開始：試験を始めます。試験中はリセットになり、試験をやめて最初の状態に戻します。");
inline constexpr char a11yPauseDesc[] = QT_TRANSLATE_NOOP("texts", "中断：試験を止めます。中断中は再開になり、続きから進めます。");
inline constexpr char a11yHelp[] = QT_TRANSLATE_NOOP("texts", "ヘルプ");
inline constexpr char a11yHelpDesc[] = QT_TRANSLATE_NOOP("texts", "ヘルプを開きます（F1）。");
inline constexpr char a11yExitDesc[] = QT_TRANSLATE_NOOP("texts", "設定を保存してプログラムを終わります。");
inline constexpr char a11yTime1[] = QT_TRANSLATE_NOOP("texts", "１問あたりの時間（秒）");
inline constexpr char a11yTime2[] = QT_TRANSLATE_NOOP("texts", "移動時間（秒）");
inline constexpr char a11yCycle[] = QT_TRANSLATE_NOOP("texts", "問題数");
inline constexpr char a11yTotal[] = QT_TRANSLATE_NOOP("texts", "合計時間（秒）");
inline constexpr char a11yTimeBoxDesc[] = QT_TRANSLATE_NOOP("texts", "数を入力して Enter で確定します。範囲外の値は受け付けず、元の値のままです。");
inline constexpr char a11yTotalDesc[] = QT_TRANSLATE_NOOP("texts", "合計の時間です。プログラムを選んでいる間は、プログラム全体の秒数です。Enter で３つの値を確定します。");
inline constexpr char a11yFontFactor[] = QT_TRANSLATE_NOOP("texts", "フォント係数");
inline constexpr char a11yFontFactorDesc[] = QT_TRANSLATE_NOOP("texts", "点と表示の大きさの係数を選びます。");
inline constexpr char a11yQuestion[] = QT_TRANSLATE_NOOP("texts", "問題番号");
inline constexpr char a11yQuestionDesc[] = QT_TRANSLATE_NOOP("texts", "いま表示している問題の番号です。");
inline constexpr char a11yMoveBanner[] = QT_TRANSLATE_NOOP("texts", "移動の表示");
inline constexpr char a11yEndBanner[] = QT_TRANSLATE_NOOP("texts", "終了の表示");
inline constexpr char a11yStatusLine[] = QT_TRANSLATE_NOOP("texts", "お知らせの行");
inline constexpr char a11yStatusLineDesc[] = QT_TRANSLATE_NOOP("texts", "クリックすると、待っているお知らせを表示します。");
inline constexpr char a11yWindowDesc[] = QT_TRANSLATE_NOOP("texts", "試験の時間を点で示すタイマーです。右クリックでメニューを開きます。");
inline constexpr char a11yDialogDesc[] = QT_TRANSLATE_NOOP("texts", "%1 のダイアログです。");

// The language (F3, --language, [ui] language of the options file). The
// entry reads in both languages, for whoever cannot read the current one.
inline constexpr char languageToEnglish[] = QT_TRANSLATE_NOOP("texts", "言語 / Language → English");
inline constexpr char languageToJapanese[] = QT_TRANSLATE_NOOP("texts", "言語 / Language → 日本語");
inline constexpr char languageJapanese[] = QT_TRANSLATE_NOOP("texts", "日本語");
inline constexpr char languageEnglish[] = QT_TRANSLATE_NOOP("texts", "英語");
inline constexpr char languageChosen[] =
    QT_TRANSLATE_NOOP("texts", "次に起動したときから%1で表示します（オプションファイル %2 に保存しました）。"
                               "今の表示はこのまま変わりません。");
inline constexpr char languageRefused[] =
    QT_TRANSLATE_NOOP("texts", "表示の言語「%1」（--language かオプションファイルの [ui] language）は使えません"
                               "（ja か en だけ）。日本語で表示しています。");
inline constexpr char cliLanguage[] = QT_TRANSLATE_NOOP("texts", "表示の言語 LANG（ja: 日本語、en: 英語）。");
inline constexpr char cliLang[] = QT_TRANSLATE_NOOP("texts", "LANG");

} // namespace tavrin::texts
