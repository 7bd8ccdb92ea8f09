<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>record</name>
    <message>
        <source>試験</source>
        <translation>Examination</translation>
    </message>
    <message>
        <source>時刻</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>出来事</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>問</source>
        <translation>Question</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>Second</translation>
    </message>
    <message>
        <source>1問あたり</source>
        <translation>Time per question</translation>
    </message>
    <message>
        <source>移動時間</source>
        <translation>Move time</translation>
    </message>
    <message>
        <source>問題数</source>
        <translation>Questions</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>部屋</source>
        <translation>Room</translation>
    </message>
    <message>
        <source>止めた時刻</source>
        <translation>Suspended at</translation>
    </message>
    <message>
        <source>戻った時刻</source>
        <translation>Back at</translation>
    </message>
    <message>
        <source>失った問題</source>
        <translation>Questions lost</translation>
    </message>
    <message>
        <source>止めたのは</source>
        <translation>Suspended by</translation>
    </message>
</context>
<context>
    <name>texts</name>
    <message>
        <source>Vornelの繰り返しタイマー&#x3000;Tavrin ver. %1</source>
        <translation>Vornel&apos;s Repeating Timer&#x3000;Tavrin ver. %1</translation>
    </message>
    <message>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>リセット</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>中断</source>
        <translation>Hold</translation>
    </message>
    <message>
        <source>再開</source>
        <translation>Go</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>?</source>
        <translation>?</translation>
    </message>
    <message>
        <source>移動してください</source>
        <translation>Please move</translation>
    </message>
    <message>
        <source>試験終了</source>
        <translation>End of examination</translation>
    </message>
    <message>
        <source>Tavrin</source>
        <translation>Tavrin</translation>
    </message>
    <message>
        <source>お知らせ %1 件（クリックで表示、中断か終了でも表示）：%2</source>
        <translation>%1 notice(s) (click to show; also shown at a pause or the end): %2</translation>
    </message>
    <message>
        <source>%1の値「%2」は範囲外です（-32768 ～ 32767 の範囲で入力してください）。
時間と問題数は変更していません。</source>
        <translation>The value &quot;%2&quot; for %1 is out of range (enter a number from -32768 to 32767).
The times and the number of questions are unchanged.</translation>
    </message>
    <message>
        <source>合計 (%1 ＋ %2) × %3 が 32767 秒を超えます。
時間と問題数は変更していません。値を小さくして Enter を押してください。</source>
        <translation>The total (%1 + %2) × %3 exceeds 32767 seconds.
The times and the number of questions are unchanged. Enter smaller values and press Enter.</translation>
    </message>
    <message>
        <source>設定ファイルの時間と問題数 (%1 ＋ %2) × %3 では合計が 32767 秒を超えます。
標準の値 %4 秒、%5 秒、%6 問を使います。</source>
        <translation>With the settings file&apos;s times and number of questions, the total (%1 + %2) × %3 exceeds 32767 seconds.
Using the defaults: %4 s, %5 s, %6 questions.</translation>
    </message>
    <message>
        <source>ヘルプファイルが見つかりません:
%1</source>
        <translation>The help file was not found:
%1</translation>
    </message>
    <message>
        <source>ヘルプファイルを開けませんでした:
%1</source>
        <translation>The help file could not be opened:
%1</translation>
    </message>
    <message>
        <source>設定ファイル「%1」を保存できませんでした（%2）。
原因を取り除いてから［もう一度保存］を押すか、［保存せずに終了］を押してください。［ウィンドウに戻る］では何も変わりません。</source>
        <translation>The settings file &quot;%1&quot; could not be saved (%2).
Remove the cause and press [Save again], or press [Exit without saving]. [Back to the window] changes nothing.</translation>
    </message>
    <message>
        <source>設定ファイル「%1」は、元の内容の控えを残してから上書きするはずでしたが、控えを作れません（%2）。
控えを残さずに上書きするか、保存せずに終了するか、ウィンドウに戻ってください。</source>
        <translation>The settings file &quot;%1&quot; was to be overwritten after keeping a copy of its original contents, but the copy cannot be made (%2).
Overwrite without a copy, exit without saving, or go back to the window.</translation>
    </message>
    <message>
        <source>試験中です</source>
        <translation>An examination is running</translation>
    </message>
    <message>
        <source>試験を中止します。試験はまだ終わっていません。ウィンドウを閉じると試験は中止として記録され、次に起動しても続きからは始められません。設定は保存されません。
本当に閉じますか？</source>
        <translation>This aborts the examination. It has not finished yet. If you close the window, the examination is recorded as aborted and cannot be continued at the next start. The settings are not saved.
Do you really want to close?</translation>
    </message>
    <message>
        <source>予期しないエラーが起きました（%1）。
表示と時間はそのまま続けています。</source>
        <translation>An unexpected error occurred (%1).
The display and the timing go on as they were.</translation>
    </message>
    <message>
        <source>1問あたりの時間</source>
        <translation>Time per question</translation>
    </message>
    <message>
        <source>移動時間</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>問題数</source>
        <translation>Qs</translation>
    </message>
    <message>
        <source>音のファイル1</source>
        <translation>Sound file 1</translation>
    </message>
    <message>
        <source>音のファイル2</source>
        <translation>Sound file 2</translation>
    </message>
    <message>
        <source>音のファイル3</source>
        <translation>Sound file 3</translation>
    </message>
    <message>
        <source>移動の表示</source>
        <translation>Move banner</translation>
    </message>
    <message>
        <source>終了の表示</source>
        <translation>End banner</translation>
    </message>
    <message>
        <source>1行の点の数</source>
        <translation>Dots per row</translation>
    </message>
    <message>
        <source>文字の大きさの番号</source>
        <translation>Font size number</translation>
    </message>
    <message>
        <source>設定ファイル「%1」の %2 行目の%3「%4」%5。標準の値 %6 を使います。</source>
        <translation>Settings file &quot;%1&quot;, line %2: %3 &quot;%4&quot; %5. Using the default %6.</translation>
    </message>
    <message>
        <source>は数値ではありません</source>
        <translation>is not a number</translation>
    </message>
    <message>
        <source>は範囲外です（-32768 ～ 32767 にしてください）</source>
        <translation>is out of range (use -32768 to 32767)</translation>
    </message>
    <message>
        <source>は 1 以上でなければなりません</source>
        <translation>must be 1 or more</translation>
    </message>
    <message>
        <source>は 0、1、2 のどれかでなければなりません</source>
        <translation>must be 0, 1 or 2</translation>
    </message>
    <message>
        <source>設定ファイル「%1」の 1 行目に%2がありません。標準の値 %3 を使います。</source>
        <translation>Settings file &quot;%1&quot;, line 1 has no %2. Using the default %3.</translation>
    </message>
    <message>
        <source>設定ファイル「%1」の 1 行目の 4 つ目以降の値「%2」は使いません。</source>
        <translation>Settings file &quot;%1&quot;, line 1: the values from the 4th on (&quot;%2&quot;) are not used.</translation>
    </message>
    <message>
        <source>設定ファイル「%1」は空です。すべて標準の値を使います。</source>
        <translation>The settings file &quot;%1&quot; is empty. Using the defaults for everything.</translation>
    </message>
    <message>
        <source>設定ファイル「%1」は %2 行目で終わっています（6 行必要です）。次の値は標準の値を使います：
%3</source>
        <translation>The settings file &quot;%1&quot; ends at line %2 (6 lines are needed). Using the defaults for:
%3</translation>
    </message>
    <message>
        <source>%1 = %2</source>
        <translation>%1 = %2</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>設定ファイル「%1」の %2 行目（%3）に Shift-JIS として読めない文字があります。正しく表示されないかもしれません。保存するときは、この行を読んだとおりに書き戻します。</source>
        <translation>Settings file &quot;%1&quot;, line %2 (%3) has characters that cannot be read as Shift-JIS. They may not show correctly. When saving, this line is written back exactly as it was read.</translation>
    </message>
    <message>
        <source>設定ファイル「%1」の %2 行目から後「%3」は使いません。</source>
        <translation>Settings file &quot;%1&quot;: the lines from %2 on (&quot;%3&quot;) are not used.</translation>
    </message>
    <message>
        <source>設定ファイル「%1」を読めませんでした（%2）。すべて標準の値を使います。</source>
        <translation>The settings file &quot;%1&quot; could not be read (%2). Using the defaults for everything.</translation>
    </message>
    <message>
        <source>1 MiB を超える大きさです</source>
        <translation>it is larger than 1 MiB</translation>
    </message>
    <message>
        <source>［終了］で保存するときは、今の設定ファイルを「%1」に写してから上書きします。設定ファイルを直すときは、このプログラムを閉じてから直してください。</source>
        <translation>When saving at [Exit], the current settings file is first copied to &quot;%1&quot; and then overwritten. To edit the settings file, close this program first.</translation>
    </message>
    <message>
        <source>元のファイルの控え「%1」を作れません。設定ファイルは元のままです。詳細: %2</source>
        <translation>The copy &quot;%1&quot; of the original file cannot be made. The settings file is unchanged. Details: %2</translation>
    </message>
    <message>
        <source>設定ファイルを書き込み用に開けません。フォルダーがあるか、同じ名前のフォルダーがないか、書き込めるかを確かめてください。設定ファイルは元のままです。詳細: %1</source>
        <translation>The settings file cannot be opened for writing. Check that the folder exists, that no folder has the same name, and that it is writable. The settings file is unchanged. Details: %1</translation>
    </message>
    <message>
        <source>書き込みに失敗しました。ディスクの空きを確かめてください。設定ファイルは元のままです。詳細: %1</source>
        <translation>Writing failed. Check the free disk space. The settings file is unchanged. Details: %1</translation>
    </message>
    <message>
        <source>書き込んだ内容で設定ファイルを置き換えられません。設定ファイルは元のままです。詳細: %1</source>
        <translation>The settings file cannot be replaced by what was written. The settings file is unchanged. Details: %1</translation>
    </message>
    <message>
        <source>音を出す装置が使えないため、合図の音が鳴りません。試験はそのまま進みます。
スピーカーなどの出力装置や音声の設定を確かめてください。使えるようになると、次の合図から音が戻ります（起動し直す必要はありません）。
（%1）</source>
        <translation>No sound output device can be used, so the cues are not heard. The examination goes on.
Check the speakers or other output device and the sound settings. Once it works, the sound returns from the next cue (no restart needed).
(%1)</translation>
    </message>
    <message>
        <source>音を出す装置の準備が間に合わず、合図の音が遅れて鳴ったか、鳴りませんでした。試験はそのまま進みます。
どの合図かは記録（F7）に残ります。たびたび起きるときは、スピーカーなどの出力装置や音声の設定を確かめてください。</source>
        <translation>The sound output was not ready in time: a cue sounded late or not at all. The examination goes on.
The record (F7) says which cue. If this happens often, check the speakers or other output device and the sound settings.</translation>
    </message>
    <message>
        <source>次の音声ファイルは使えないため、代わりに内蔵の合図音を鳴らします。</source>
        <translation>The following sound files cannot be used, so the built-in cue sound plays instead.</translation>
    </message>
    <message>
        <source>・%1（%2）: %3</source>
        <translation>• %1 (%2): %3</translation>
    </message>
    <message>
        <source>試験はこのまま進められます。ファイルを用意してプログラムを起動し直すと、そのファイルの音が使われます。</source>
        <translation>The examination can go on as it is. Provide the file and restart the program to hear its sound.</translation>
    </message>
    <message>
        <source>%1。内蔵の合図音も使えないため、この合図は鳴りません</source>
        <translation>%1. The built-in cue sound cannot be used either, so this cue is silent</translation>
    </message>
    <message>
        <source>音を出す装置が使えません</source>
        <translation>no sound output device can be used</translation>
    </message>
    <message>
        <source>音声サーバーが %1 秒たっても応答しません</source>
        <translation>the sound server has not answered for %1 seconds</translation>
    </message>
    <message>
        <source>見つかりません</source>
        <translation>not found</translation>
    </message>
    <message>
        <source>ファイルではありません</source>
        <translation>not a file</translation>
    </message>
    <message>
        <source>読み取れません</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>大きすぎます</source>
        <translation>too large</translation>
    </message>
    <message>
        <source>音声ファイルとして読めません</source>
        <translation>cannot be read as a sound file</translation>
    </message>
    <message>
        <source>ファイル名が空なので、この合図は鳴らしません</source>
        <translation>the file name is empty, so this cue is silent</translation>
    </message>
    <message>
        <source>残り数秒の合図</source>
        <translation>last-seconds cue</translation>
    </message>
    <message>
        <source>解答時間終了の合図</source>
        <translation>answer-time-end cue</translation>
    </message>
    <message>
        <source>試験終了の合図</source>
        <translation>end-of-examination cue</translation>
    </message>
    <message>
        <source>入力確認のチャイム</source>
        <translation>input chime</translation>
    </message>
    <message>
        <source>１問あたり</source>
        <translation>Per Q</translation>
    </message>
    <message>
        <source>合計</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>（</source>
        <translation>（</translation>
    </message>
    <message>
        <source>＋</source>
        <translation>＋</translation>
    </message>
    <message>
        <source>）</source>
        <translation>）</translation>
    </message>
    <message>
        <source>×</source>
        <translation>×</translation>
    </message>
    <message>
        <source>＝</source>
        <translation>＝</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>問</source>
        <translation>Q</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>問目</source>
        <translation>Q</translation>
    </message>
    <message>
        <source>フォント係数</source>
        <translation>Font size</translation>
    </message>
    <message>
        <source>1.00</source>
        <translation>1.00</translation>
    </message>
    <message>
        <source>1.25</source>
        <translation>1.25</translation>
    </message>
    <message>
        <source>1.50</source>
        <translation>1.50</translation>
    </message>
    <message>
        <source>Combo1</source>
        <translation>Combo1</translation>
    </message>
    <message>
        <source>設定を保存できません</source>
        <translation>The settings cannot be saved</translation>
    </message>
    <message>
        <source>もう一度保存</source>
        <translation>Save again</translation>
    </message>
    <message>
        <source>保存せずに終了</source>
        <translation>Exit without saving</translation>
    </message>
    <message>
        <source>ウィンドウに戻る</source>
        <translation>Back to the window</translation>
    </message>
    <message>
        <source>控えを残さずに上書き</source>
        <translation>Overwrite without a copy</translation>
    </message>
    <message>
        <source>書き込んだ内容を読み戻すと違っていました</source>
        <translation>what was written reads back differently</translation>
    </message>
    <message>
        <source>書き込みに失敗し、元の内容にも戻せませんでした。設定ファイルは途中までしか書かれていないかもしれません。［もう一度保存］で書き直してください。詳細: %1</source>
        <translation>Writing failed and the original contents could not be restored. The settings file may be only partly written. Press [Save again] to write it again. Details: %1</translation>
    </message>
    <message>
        <source>試験の実施中</source>
        <translation>Examination in progress</translation>
    </message>
    <message>
        <source>部屋の表示 - Tavrin</source>
        <translation>Room display - Tavrin</translation>
    </message>
    <message>
        <source>部屋の表示</source>
        <translation>Room display</translation>
    </message>
    <message>
        <source>部屋の表示の画面</source>
        <translation>Screen for the room display</translation>
    </message>
    <message>
        <source>自動（操作画面のない、いちばん大きい画面）</source>
        <translation>Automatic (the largest screen without the control window)</translation>
    </message>
    <message>
        <source>%1（%2 × %3）</source>
        <translation>%1 (%2 × %3)</translation>
    </message>
    <message>
        <source>部屋の表示に残り秒数を出す</source>
        <translation>Show the seconds left on the room display</translation>
    </message>
    <message>
        <source>残り%1秒</source>
        <translation>%1 s left</translation>
    </message>
    <message>
        <source>設定ファイル %1 に保存できませんでした。%2</source>
        <translation>Could not save to the options file %1. %2</translation>
    </message>
    <message>
        <source>書き込めません（%1）。作業フォルダーとそのファイルに書き込めるか確かめてください。</source>
        <translation>Cannot write (%1). Check that the working folder and the file are writable.</translation>
    </message>
    <message>
        <source>ファイルの形式が正しくありません。中身を確かめるか別の名前に移してから、もう一度設定してください。</source>
        <translation>The file&apos;s format is not correct. Check its contents or move it to another name, then set this again.</translation>
    </message>
    <message>
        <source>その場所にシンボリックリンクが置かれているので、たどらずにやめました。リンクを消してから（ふつうのファイルを置くか、何も置かずに）、もう一度設定してください。</source>
        <translation>A symbolic link is in that place, so it was not followed. Remove the link (put an ordinary file there, or nothing), then set this again.</translation>
    </message>
    <message>
        <source>その場所にあるのはふつうのファイルではありません。それを移すか消してから、もう一度設定してください。</source>
        <translation>What is in that place is not an ordinary file. Move or remove it, then set this again.</translation>
    </message>
    <message>
        <source>ファイルの持ち主が別のユーザーなので、書き換えませんでした。自分の作業フォルダーで Tavrin を起動するか、持ち主にファイルを移してもらってください。</source>
        <translation>The file belongs to another user, so it was not changed. Start Tavrin in your own working folder, or ask the owner to move the file.</translation>
    </message>
    <message>
        <source>今の選択はこのプログラムを閉じるまで使えます。</source>
        <translation>The current choice holds until this program is closed.</translation>
    </message>
    <message>
        <source>音の確認</source>
        <translation>Sound check</translation>
    </message>
    <message>
        <source>4 つの合図を順に鳴らします。聞こえるか確かめてください。</source>
        <translation>Plays the 4 cues in turn. Check that you can hear them.</translation>
    </message>
    <message>
        <source>これから鳴らします</source>
        <translation>About to play</translation>
    </message>
    <message>
        <source>鳴らしています…</source>
        <translation>Playing…</translation>
    </message>
    <message>
        <source>設定のファイルの音を鳴らしました（%1）</source>
        <translation>Played the sound of the configured file (%1)</translation>
    </message>
    <message>
        <source>内蔵の合図音を鳴らしました（%1: %2）</source>
        <translation>Played the built-in cue sound (%1: %2)</translation>
    </message>
    <message>
        <source>鳴りません（%1）</source>
        <translation>Silent (%1)</translation>
    </message>
    <message>
        <source>鳴りません（合図の準備ができていません）</source>
        <translation>Silent (the cues are not ready)</translation>
    </message>
    <message>
        <source>試験が始まったので、確認を止めました</source>
        <translation>The examination started, so the check was stopped</translation>
    </message>
    <message>
        <source>もう一度鳴らす</source>
        <translation>Play again</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>試験の記録ファイル「%1」を開けません（%2）。
試験はこのまま行えますが、記録は残りません。途中で止まった試験の再開もできません。</source>
        <translation>The record file &quot;%1&quot; cannot be opened (%2).
The examination can go on, but nothing is recorded, and an interrupted examination cannot be resumed.</translation>
    </message>
    <message>
        <source>SQLite のドライバーがありません</source>
        <translation>the SQLite driver is missing</translation>
    </message>
    <message>
        <source>フォルダーがありません</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>フォルダーに書き込めません</source>
        <translation>the folder is not writable</translation>
    </message>
    <message>
        <source>同じ名前のフォルダーなどがあります</source>
        <translation>a folder or other item has the same name</translation>
    </message>
    <message>
        <source>「%1」の場所にシンボリックリンクが置かれているので、たどらずに使いませんでした。リンクを消してから起動し直してください</source>
        <translation>A symbolic link is in the place of &quot;%1&quot;, so it was not followed or used. Remove the link and restart</translation>
    </message>
    <message>
        <source>このフォルダーでは別の Tavrin（プロセス番号 %1）が動いていて、試験の記録ファイル「%2」を使っています。
このウィンドウの試験は記録されず、前の試験の再開もしません。別の Tavrin を閉じてから起動し直すか、別のフォルダーで起動してください。</source>
        <translation>Another Tavrin (process %1) is running in this folder and using the record file &quot;%2&quot;.
This window&apos;s examination is not recorded, and the previous examination is not resumed. Close the other Tavrin and restart, or start in another folder.</translation>
    </message>
    <message>
        <source>試験の記録ファイル「%1」は読み取り専用のため書き込めません。ファイルはそのままにします。
試験はこのまま行えますが、記録は残りません。記録するには、書き込めるようにしてから起動し直してください。</source>
        <translation>The record file &quot;%1&quot; is read-only and cannot be written. The file is left as it is.
The examination can go on, but nothing is recorded. To record, make it writable and restart.</translation>
    </message>
    <message>
        <source>試験の記録ファイル「%1」は新しい版の Tavrin のもの（形式 %2）で、この版（形式 %3 まで）では使えません。ファイルはそのままにします。
試験はこのまま行えますが、記録は残りません。</source>
        <translation>The record file &quot;%1&quot; belongs to a newer Tavrin (format %2) and cannot be used by this version (format up to %3). The file is left as it is.
The examination can go on, but nothing is recorded.</translation>
    </message>
    <message>
        <source>新しい版の Tavrin のもの（形式 %1）です</source>
        <translation>it belongs to a newer Tavrin (format %1)</translation>
    </message>
    <message>
        <source>試験の記録ファイル「%1」は壊れていたため（%2）、「%3」という名前で残し、新しい記録ファイルを作りました。
前の試験の続きはできませんが、これからの試験は記録されます。</source>
        <translation>The record file &quot;%1&quot; was damaged (%2), so it was kept as &quot;%3&quot; and a new record file was made.
The previous examination cannot be resumed, but examinations from now on are recorded.</translation>
    </message>
    <message>
        <source>試験の記録ファイル「%1」は壊れていて（%2）、新しい記録ファイルも作れませんでした（%3）。
試験はこのまま行えますが、記録は残りません。</source>
        <translation>The record file &quot;%1&quot; is damaged (%2), and a new record file could not be made either (%3).
The examination can go on, but nothing is recorded.</translation>
    </message>
    <message>
        <source>Tavrin の記録ファイルではありません</source>
        <translation>it is not a Tavrin record file</translation>
    </message>
    <message>
        <source>試験の記録ファイル「%1」に書き込めなくなりました（%2）。
試験はこのまま続いていますが、ここから先は記録されません。</source>
        <translation>The record file &quot;%1&quot; can no longer be written (%2).
The examination goes on, but nothing more is recorded.</translation>
    </message>
    <message>
        <source>ディスクがいっぱいのため、試験の記録ファイル「%1」に書き込めなくなりました。
試験はこのまま続いていますが、ここから先は記録されません。</source>
        <translation>The disk is full, so the record file &quot;%1&quot; can no longer be written.
The examination goes on, but nothing more is recorded.</translation>
    </message>
    <message>
        <source>試験の記録ファイル「%1」がなくなったため、新しい記録ファイルを作って記録を続けます。それまでの記録はなくなりました。</source>
        <translation>The record file &quot;%1&quot; has disappeared, so a new record file was made and recording goes on. The earlier records are lost.</translation>
    </message>
    <message>
        <source>試験の記録ファイル「%1」がなくなり、作り直すこともできません（%2）。
試験はこのまま続いていますが、ここから先は記録されません。</source>
        <translation>The record file &quot;%1&quot; has disappeared and cannot be made again (%2).
The examination goes on, but nothing more is recorded.</translation>
    </message>
    <message>
        <source>別の Tavrin（プロセス番号 %1）が使っています</source>
        <translation>another Tavrin (process %1) is using it</translation>
    </message>
    <message>
        <source>試験の記録ファイルにある前の試験の状態を読めないため、その試験の続きはできません。</source>
        <translation>The state of the previous examination in the record file cannot be read, so that examination cannot be continued.</translation>
    </message>
    <message>
        <source>前の試験が途中で止まっています</source>
        <translation>The previous examination stopped part-way</translation>
    </message>
    <message>
        <source>前の試験は終わらないまま止まりました%1。</source>
        <translation>The previous examination stopped before it finished%1.</translation>
    </message>
    <message>
        <source>（ウィンドウを閉じて終わりました）</source>
        <translation> (the window was closed)</translation>
    </message>
    <message>
        <source>時間: 1問あたり %1 秒、移動 %2 秒、%3 問</source>
        <translation>Times: %1 s per question, %2 s move, %3 questions</translation>
    </message>
    <message>
        <source>止まった時刻: %1</source>
        <translation>Stopped at: %1</translation>
    </message>
    <message>
        <source>最後の記録: %1（進行中）</source>
        <translation>Last record: %1 (running)</translation>
    </message>
    <message>
        <source>最後の記録: %1（中断中）</source>
        <translation>Last record: %1 (paused)</translation>
    </message>
    <message>
        <source>続けていれば今は: %1</source>
        <translation>Had it gone on, it would now be at: %1</translation>
    </message>
    <message>
        <source>続けていれば試験は %1 に終わっています。</source>
        <translation>Had it gone on, the examination would have ended at %1.</translation>
    </message>
    <message>
        <source>第 %1 問の解答時間 %2 秒目</source>
        <translation>question %1, answer time, second %2</translation>
    </message>
    <message>
        <source>第 %1 問の移動時間 %2 秒目</source>
        <translation>question %1, move time, second %2</translation>
    </message>
    <message>
        <source>第 %1 問の始まる前</source>
        <translation>before question %1</translation>
    </message>
    <message>
        <source>今の位置から続ける</source>
        <translation>Continue from where it would be now</translation>
    </message>
    <message>
        <source>止まった位置で中断して続ける</source>
        <translation>Continue paused where it stopped</translation>
    </message>
    <message>
        <source>中断したまま続ける</source>
        <translation>Continue, still paused</translation>
    </message>
    <message>
        <source>試験終了を表示する</source>
        <translation>Show the end of the examination</translation>
    </message>
    <message>
        <source>続けない</source>
        <translation>Do not continue</translation>
    </message>
    <message>
        <source>新しく始める</source>
        <translation>Start afresh</translation>
    </message>
    <message>
        <source>止まった試験を今の位置から続けました</source>
        <translation>Continued the stopped examination from where it would be now</translation>
    </message>
    <message>
        <source>止まった試験を止まった位置で中断して続けました</source>
        <translation>Continued the stopped examination, paused where it stopped</translation>
    </message>
    <message>
        <source>止まった試験は終わっていたため、試験終了を表示しました</source>
        <translation>The stopped examination had ended, so its end is shown</translation>
    </message>
    <message>
        <source>止まった試験を続けませんでした</source>
        <translation>Did not continue the stopped examination</translation>
    </message>
    <message>
        <source>止まった試験は終わっていたため、新しく始めました</source>
        <translation>The stopped examination had ended, so a new one was started</translation>
    </message>
    <message>
        <source>操作卓の試験に合わせたため、止まった試験は続けませんでした</source>
        <translation>Followed the controller&apos;s examination, so the stopped examination was not continued</translation>
    </message>
    <message>
        <source>試験の記録...</source>
        <translation>Examination record...</translation>
    </message>
    <message>
        <source>試験の記録 - Tavrin</source>
        <translation>Examination record - Tavrin</translation>
    </message>
    <message>
        <source>CSV で保存...</source>
        <translation>Save as CSV...</translation>
    </message>
    <message>
        <source>最新にする</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>試験の記録を CSV で保存</source>
        <translation>Save the examination record as CSV</translation>
    </message>
    <message>
        <source>CSV ファイル (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>試験の記録.csv</source>
        <translation>examination-record.csv</translation>
    </message>
    <message>
        <source>「%1」に %2 件を保存しました。</source>
        <translation>Saved %2 rows to &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>「%1」に保存できませんでした（%2）。別の場所を選んでください。</source>
        <translation>Could not save to &quot;%1&quot; (%2). Choose another place.</translation>
    </message>
    <message>
        <source>%1 件</source>
        <translation>%1 rows</translation>
    </message>
    <message>
        <source>試験の記録ファイルが使えないため、記録を表示できません。</source>
        <translation>The record file cannot be used, so the record cannot be shown.</translation>
    </message>
    <message>
        <source>試験の記録を読めませんでした（%1）。</source>
        <translation>The examination record could not be read (%1).</translation>
    </message>
    <message>
        <source>起動</source>
        <translation>Program start</translation>
    </message>
    <message>
        <source>問題の始まり</source>
        <translation>Question begins</translation>
    </message>
    <message>
        <source>合図の音</source>
        <translation>Cue sound</translation>
    </message>
    <message>
        <source>時間の入力</source>
        <translation>Time entry</translation>
    </message>
    <message>
        <source>状態の引き継ぎ</source>
        <translation>State adopted</translation>
    </message>
    <message>
        <source>お知らせ</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>ウィンドウを閉じた</source>
        <translation>Window closed</translation>
    </message>
    <message>
        <source>試験の中止</source>
        <translation>Examination aborted</translation>
    </message>
    <message>
        <source>システムによる終了</source>
        <translation>Ended by the system</translation>
    </message>
    <message>
        <source>遅れた合図</source>
        <translation>Late cue</translation>
    </message>
    <message>
        <source>鳴らなかった合図</source>
        <translation>Cue not heard</translation>
    </message>
    <message>
        <source>試験終了のくり返し</source>
        <translation>End repeated</translation>
    </message>
    <message>
        <source>合図 %1（%2）: %3</source>
        <translation>Cue %1 (%2): %3</translation>
    </message>
    <message>
        <source>合図 %1（%2）: 内蔵の音（%3）</source>
        <translation>Cue %1 (%2): built-in sound (%3)</translation>
    </message>
    <message>
        <source>合図 %1（%2）: 鳴らず（%3）</source>
        <translation>Cue %1 (%2): silent (%3)</translation>
    </message>
    <message>
        <source>合図 %1（%2）: 音の出力が間に合わず、%3 ms 遅れて鳴りました</source>
        <translation>Cue %1 (%2): the sound output was not ready in time; it sounded %3 ms late</translation>
    </message>
    <message>
        <source>合図 %1（%2）: 音の出力が間に合わず、鳴りませんでした</source>
        <translation>Cue %1 (%2): the sound output was not ready in time; it did not sound</translation>
    </message>
    <message>
        <source>試験終了の表示と合図 %1（%2）が、このあと %3 回くり返されました</source>
        <translation>The end banner and cue %1 (%2) were repeated %3 more times</translation>
    </message>
    <message>
        <source>合図の報告</source>
        <translation>Cue report</translation>
    </message>
    <message>
        <source>報告のない合図</source>
        <translation>Cue not reported</translation>
    </message>
    <message>
        <source>部屋ごとのずれ</source>
        <translation>Deviation per room</translation>
    </message>
    <message>
        <source>この管理用のTavrin</source>
        <translation>This controlling Tavrin</translation>
    </message>
    <message>
        <source>部屋 %1</source>
        <translation>Room %1</translation>
    </message>
    <message>
        <source>%1: 合図 %2（%3） %4 に鳴り始め、ずれ %5 ms（時計の差 %6 ms、%7）</source>
        <translation>%1: cue %2 (%3) began at %4, deviation %5 ms (clock offset %6 ms, %7)</translation>
    </message>
    <message>
        <source>%1: 合図 %2（%3） 音が出ませんでした</source>
        <translation>%1: cue %2 (%3) made no sound</translation>
    </message>
    <message>
        <source>%1: 合図 %2（%3） この部屋から報告がありません。鳴らなかったか、報告が届いていません</source>
        <translation>%1: cue %2 (%3) no report from this room: it did not sound, or its report did not arrive</translation>
    </message>
    <message>
        <source>%1: 合図 %2 件、いちばん大きなずれ %3、鳴らなかった（または報告のない）合図 %4 件</source>
        <translation>%1: %2 cues, largest deviation %3, %4 cues not heard (or not reported)</translation>
    </message>
    <message>
        <source>%1 ms（%2 問目 %3 秒の合図 %4）</source>
        <translation>%1 ms (cue %4 at question %2, second %3)</translation>
    </message>
    <message>
        <source>なし（どの合図も音が出ていません）</source>
        <translation>none (no cue made a sound)</translation>
    </message>
    <message>
        <source>指定の音声ファイル</source>
        <translation>the configured sound file</translation>
    </message>
    <message>
        <source>内蔵の音</source>
        <translation>built-in sound</translation>
    </message>
    <message>
        <source>音なし</source>
        <translation>no sound</translation>
    </message>
    <message>
        <source>%1, %2, %3 → %4, %5, %6</source>
        <translation>%1, %2, %3 → %4, %5, %6</translation>
    </message>
    <message>
        <source>%1 → %2</source>
        <translation>%1 → %2</translation>
    </message>
    <message>
        <source>ウィンドウを閉じて終わりました</source>
        <translation>Ended by closing the window</translation>
    </message>
    <message>
        <source>試験中にウィンドウを閉じ、試験を中止しました</source>
        <translation>The window was closed during the examination; the examination was aborted</translation>
    </message>
    <message>
        <source>システムから終了を求められて（%1）終わりました。試験は次の起動で続けられます</source>
        <translation>Ended at the system&apos;s request (%1). The examination can be continued at the next start</translation>
    </message>
    <message>
        <source>ディスクの読み書きでエラーが起きました</source>
        <translation>a disk read or write error occurred</translation>
    </message>
    <message>
        <source>書き込みが禁止されています</source>
        <translation>writing is not permitted</translation>
    </message>
    <message>
        <source>ファイルが壊れています</source>
        <translation>the file is damaged</translation>
    </message>
    <message>
        <source>SQLite のファイルではありません</source>
        <translation>it is not an SQLite file</translation>
    </message>
    <message>
        <source>ファイルを開けません</source>
        <translation>the file cannot be opened</translation>
    </message>
    <message>
        <source>ほかのプログラムが使っています</source>
        <translation>another program is using it</translation>
    </message>
    <message>
        <source>ディスクがいっぱいです</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>中身の検査で誤りが見つかりました</source>
        <translation>a check of the contents found errors</translation>
    </message>
    <message>
        <source>SQLite のエラーです</source>
        <translation>an SQLite error</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>ブローカー %1 に接続しました。</source>
        <translation>Connected to broker %1.</translation>
    </message>
    <message>
        <source>ブローカー %1 に接続していません（%2）。試験はこのプログラムの時計で続けます。</source>
        <translation>Not connected to broker %1 (%2). The examination goes on by this program&apos;s clock.</translation>
    </message>
    <message>
        <source>%1 に届いたメッセージを使いませんでした。%2（%3）。</source>
        <translation>A message that arrived at %1 was not used. %2 (%3).</translation>
    </message>
    <message>
        <source>同じ理由で使わなかったものが、ほかに %1 件ありました。</source>
        <translation>%1 more were not used for the same reason.</translation>
    </message>
    <message>
        <source>形式が正しくありません</source>
        <translation>The format is not correct</translation>
    </message>
    <message>
        <source>別の版の Tavrin のものです</source>
        <translation>It is from another version of Tavrin</translation>
    </message>
    <message>
        <source>別の試験か別の部屋のものです</source>
        <translation>It is for another examination or another room</translation>
    </message>
    <message>
        <source>この試験の操作卓から送られたものではありません</source>
        <translation>It was not sent by this examination&apos;s controller</translation>
    </message>
    <message>
        <source>値が試験で使えるものではありません</source>
        <translation>Its values cannot be used in an examination</translation>
    </message>
    <message>
        <source>この試験の鍵による署名がないか、署名が正しくありません（偽造の疑い）</source>
        <translation>It has no signature by this examination&apos;s key, or a wrong one (possibly forged)</translation>
    </message>
    <message>
        <source>古いか順番の合わないメッセージです（再送の疑い）</source>
        <translation>It is an old or out-of-order message (possibly replayed)</translation>
    </message>
    <message>
        <source>この部屋として承認した鍵とは別の鍵で署名されています（なりすましの疑い）</source>
        <translation>It is signed by a key other than the one approved for this room (possibly impersonation)</translation>
    </message>
    <message>
        <source>この操作卓が送っていないメッセージが、この操作卓の名前で届きました（なりすまし）。状態を送り直しました。部屋の表示を確かめてください。</source>
        <translation>A message this controller did not send arrived in this controller&apos;s name (impersonation). The state was sent again. Check the room displays.</translation>
    </message>
    <message>
        <source>⚠ 古い版の Tavrin からのメッセージを拒否しました。すべての PC を同じ版にしてください</source>
        <translation>⚠ Refused messages from an old version of Tavrin. Bring every PC to the same version</translation>
    </message>
    <message>
        <source>⚠ この操作卓の名前で偽のメッセージ</source>
        <translation>⚠ Forged messages in this controller&apos;s name</translation>
    </message>
    <message>
        <source>鍵 %1</source>
        <translation>key %1</translation>
    </message>
    <message>
        <source>試験の鍵：%1（操作卓と部屋で同じか、目で確かめてください）</source>
        <translation>Examination key: %1 (check by eye that controller and rooms show the same)</translation>
    </message>
    <message>
        <source>（鍵 未承認 %1）</source>
        <translation> (key not approved %1)</translation>
    </message>
    <message>
        <source>選んだ部屋の鍵を承認</source>
        <translation>Approve the selected room&apos;s key</translation>
    </message>
    <message>
        <source>部屋 %1 の鍵 %2 を承認しました。これからはほかの鍵で署名された %1 のメッセージを拒否します。</source>
        <translation>Approved key %2 for room %1. Messages for %1 signed by any other key are refused from now on.</translation>
    </message>
    <message>
        <source>部屋の鍵の承認を保存できませんでした（%1）。承認はこの起動の間だけ有効です。フォルダに書き込めるか確かめてください。</source>
        <translation>The approval of the rooms&apos; keys could not be saved (%1). It holds only until this program is closed. Check that the folder is writable.</translation>
    </message>
    <message>
        <source>承認した部屋の鍵のファイルを読めませんでした（%1）。部屋の鍵を状況の一覧で承認し直してください。</source>
        <translation>The file of approved room keys could not be read (%1). Approve the rooms&apos; keys again in the status list.</translation>
    </message>
    <message>
        <source>送られてくる数が多すぎます</source>
        <translation>too many are being sent</translation>
    </message>
    <message>
        <source>いま従っている操作卓とは別の操作卓からのものです</source>
        <translation>It is from a controller other than the one now followed</translation>
    </message>
    <message>
        <source>%1 に届いたメッセージを使いませんでした。%2（%3、送り手 %4）。同じ送り手からの同じ理由のものは、以後は件数だけを数えます。</source>
        <translation>A message that arrived at %1 was not used. %2 (%3, sender %4). From now on, those from the same sender for the same reason are only counted.</translation>
    </message>
    <message>
        <source>別の操作卓（%1）が %2 にこの試験を引き継ぎました。この操作卓はもう部屋を進めません。</source>
        <translation>Another controller (%1) took over this examination at %2. This controller no longer drives the rooms.</translation>
    </message>
    <message>
        <source>試験を進めていた操作卓の接続が切れたため、この操作卓が試験を引き継ぎました（%1 問目、%2 秒）。</source>
        <translation>The controller that drove the examination lost its connection, so this controller took over (question %1, %2 s).</translation>
    </message>
    <message>
        <source>部屋「%1」が接続しました。</source>
        <translation>Room &quot;%1&quot; connected.</translation>
    </message>
    <message>
        <source>部屋「%1」の接続が切れました。</source>
        <translation>Room &quot;%1&quot; disconnected.</translation>
    </message>
    <message>
        <source>部屋「%1」では、合図が音声ファイルのとおりには鳴りません（%2）。</source>
        <translation>In room &quot;%1&quot;, the cues do not sound as the sound files say (%2).</translation>
    </message>
    <message>
        <source>操作卓の試験に合わせました（%1 問目、%2 秒）。</source>
        <translation>Followed the controller&apos;s examination (question %1, %2 s).</translation>
    </message>
    <message>
        <source>操作卓が替わりました。新しい操作卓に従います。</source>
        <translation>The controller changed. Following the new controller.</translation>
    </message>
    <message>
        <source>試験「%1」の操作卓として、ほかの Tavrin も名乗り出ています。操作卓は 1 台にしてください。</source>
        <translation>Another Tavrin also claims to be the controller of examination &quot;%1&quot;. Keep to one controller.</translation>
    </message>
    <message>
        <source>操作卓から時刻の応答がないため、時計の差を 0 として合わせました。</source>
        <translation>The controller does not answer about the time, so the clock offset was taken as 0.</translation>
    </message>
    <message>
        <source>ブローカーから試験の状態が届かないため、この部屋で記録していた試験を続けます。</source>
        <translation>No examination state arrives from the broker, so the examination recorded in this room goes on.</translation>
    </message>
    <message>
        <source>ブローカーに残っていた試験を引き継ぎました（%1 問目、%2 秒）。</source>
        <translation>Took over the examination left on the broker (question %1, %2 s).</translation>
    </message>
    <message>
        <source>操作卓のウィンドウが試験中に閉じられ、試験は中止されました。この部屋の試験も中止として記録し、止めました。</source>
        <translation>The controller&apos;s window was closed during the examination, so the examination was aborted. This room also recorded it as aborted and stopped.</translation>
    </message>
    <message>
        <source>ブローカーにつながっていないため、部屋には試験の中止を伝えられませんでした。部屋では試験が続いています。</source>
        <translation>Not connected to the broker, so the rooms could not be told of the abort. The examination goes on in the rooms.</translation>
    </message>
    <message>
        <source>操作卓「%1」&#x3000;部屋 %2/%3 接続中</source>
        <translation>Controller &quot;%1&quot;  rooms %2/%3 connected</translation>
    </message>
    <message>
        <source>操作卓「%1」&#x3000;ブローカーの確認中</source>
        <translation>Controller &quot;%1&quot;  checking the broker</translation>
    </message>
    <message>
        <source>部屋「%1」：操作卓に連動&#x3000;時刻差 %2</source>
        <translation>Room &quot;%1&quot;: following the controller  offset %2</translation>
    </message>
    <message>
        <source>部屋「%1」：操作卓を待っています</source>
        <translation>Room &quot;%1&quot;: waiting for the controller</translation>
    </message>
    <message>
        <source>操作卓「%1」&#x3000;待機中（%2 が進行中）</source>
        <translation>Controller &quot;%1&quot;  standing by (%2 is driving)</translation>
    </message>
    <message>
        <source>⚠ 不正なメッセージを %1 件拒否</source>
        <translation>⚠ %1 invalid messages refused</translation>
    </message>
    <message>
        <source>⚠ 別の操作卓に従う部屋：%1</source>
        <translation>⚠ Rooms following another controller: %1</translation>
    </message>
    <message>
        <source>● 接続なし（この時計で継続）</source>
        <translation>● Not connected (going on by this clock)</translation>
    </message>
    <message>
        <source>⚠ 時刻の答えが届きません</source>
        <translation>⚠ No answers about the time</translation>
    </message>
    <message>
        <source>操作卓から時刻の答えが届かないため、操作卓との時刻差を測れません（時計は等しいとみなして続けます）。ブローカーのブリッジが時刻のトピック（clock と rooms/部屋/clock）と MQTT 5 の属性（応答先と相関データ）を通すか（Mosquitto では bridge_protocol_version mqttv50）確かめてください。</source>
        <translation>No answers about the time arrive from the controller, so the clock offset to the controller cannot be measured (the clocks are taken as equal). Check that the broker&apos;s bridge passes the time topics (clock and rooms/&lt;room&gt;/clock) and the MQTT 5 properties (response topic and correlation data) (in Mosquitto: bridge_protocol_version mqttv50).</translation>
    </message>
    <message>
        <source>○ 操作卓が接続していません（この時計で継続）</source>
        <translation>○ No controller connected (going on by this clock)</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>未測定</source>
        <translation>not measured</translation>
    </message>
    <message>
        <source>&#x3000;— 試験「%1」の操作卓</source>
        <translation> — controller of examination &quot;%1&quot;</translation>
    </message>
    <message>
        <source>&#x3000;— 部屋「%1」（試験「%2」の操作卓に連動）</source>
        <translation> — room &quot;%1&quot; (following the controller of examination &quot;%2&quot;)</translation>
    </message>
    <message>
        <source>別の操作卓が試験を進めています</source>
        <translation>Another controller is driving the examination</translation>
    </message>
    <message>
        <source>試験「%1」は、別の操作卓（%2）が %3 から進めています。

この操作卓で引き継ぐと、部屋はこの操作卓に従い、試験は今の問題と秒のまま続きます。もう一方の操作卓にはそのことが伝えられます。
引き継がなければ、この操作卓は待機し、部屋を進めません。

引き継ぎますか？</source>
        <translation>Examination &quot;%1&quot; is being driven by another controller (%2) since %3.

If this controller takes over, the rooms follow it and the examination goes on at the current question and second. The other controller is told so.
If not, this controller stands by and does not drive the rooms.

Take over?</translation>
    </message>
    <message>
        <source>引き継ぐ</source>
        <translation>Take over</translation>
    </message>
    <message>
        <source>引き継がない（待機する）</source>
        <translation>Do not take over (stand by)</translation>
    </message>
    <message>
        <source>部屋の状態(&amp;R)</source>
        <translation>&amp;Rooms&apos; status</translation>
    </message>
    <message>
        <source>部屋と接続の設定(&amp;N)…</source>
        <translation>Rooms and co&amp;nnection…</translation>
    </message>
    <message>
        <source>部屋の状態</source>
        <translation>Rooms&apos; status</translation>
    </message>
    <message>
        <source>この Tavrin は部屋と連動していません。右クリックの「部屋と接続の設定」で設定できます。</source>
        <translation>This Tavrin is not linked to rooms. Set this up with &quot;Rooms and connection&quot; in the right-click menu.</translation>
    </message>
    <message>
        <source>試験「%1」の操作卓&#x3000;ブローカー %2：%3</source>
        <translation>Controller of examination &quot;%1&quot;  broker %2: %3</translation>
    </message>
    <message>
        <source>試験「%1」の部屋「%2」&#x3000;ブローカー %3：%4&#x3000;操作卓：%5&#x3000;時刻差：%6</source>
        <translation>Room &quot;%2&quot; of examination &quot;%1&quot;  broker %3: %4  controller: %5  offset: %6</translation>
    </message>
    <message>
        <source>接続中（%1 から）</source>
        <translation>connected (since %1)</translation>
    </message>
    <message>
        <source>接続なし（%1 から）</source>
        <translation>not connected (since %1)</translation>
    </message>
    <message>
        <source>接続中</source>
        <translation>connected</translation>
    </message>
    <message>
        <source>接続なし</source>
        <translation>not connected</translation>
    </message>
    <message>
        <source>部屋	接続	表示中の問題	秒	時刻差	往復	合図の音	従う操作卓	準備</source>
        <translation>Room	Connection	Question shown	Second	Offset	Round trip	Cue sounds	Follows	Ready</translation>
    </message>
    <message>
        <source>この操作卓</source>
        <translation>this controller</translation>
    </message>
    <message>
        <source>別の操作卓 %1</source>
        <translation>other controller %1</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>none</translation>
    </message>
    <message>
        <source>切断</source>
        <translation>disconnected</translation>
    </message>
    <message>
        <source>応答なし</source>
        <translation>no answer</translation>
    </message>
    <message>
        <source>%1（%2 から）</source>
        <translation>%1 (since %2)</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>%1（往復 %2）</source>
        <translation>%1 (round trip %2)</translation>
    </message>
    <message>
        <source>自分のファイル</source>
        <translation>own file</translation>
    </message>
    <message>
        <source>内蔵の音：%1</source>
        <translation>built-in sound: %1</translation>
    </message>
    <message>
        <source>鳴らない：%1</source>
        <translation>silent: %1</translation>
    </message>
    <message>
        <source>不明：%1</source>
        <translation>unknown: %1</translation>
    </message>
    <message>
        <source>開始前</source>
        <translation>not started</translation>
    </message>
    <message>
        <source>実行中</source>
        <translation>running</translation>
    </message>
    <message>
        <source>中断中</source>
        <translation>paused</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>部屋と接続の設定</source>
        <translation>Rooms and connection</translation>
    </message>
    <message>
        <source>この Tavrin の役割</source>
        <translation>Role of this Tavrin</translation>
    </message>
    <message>
        <source>1 部屋だけで使う（ネットワークを使わない）</source>
        <translation>One room only (no network)</translation>
    </message>
    <message>
        <source>操作卓（試験を進める）</source>
        <translation>Controller (drives the examination)</translation>
    </message>
    <message>
        <source>部屋（操作卓に連動して表示し、音を鳴らす）</source>
        <translation>Room (shows and sounds in step with the controller)</translation>
    </message>
    <message>
        <source>試験の名前</source>
        <translation>Examination name</translation>
    </message>
    <message>
        <source>部屋の名前</source>
        <translation>Room name</translation>
    </message>
    <message>
        <source>ブローカーのホスト</source>
        <translation>Broker host</translation>
    </message>
    <message>
        <source>ポート</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>ユーザー名</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>パスワード</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>TLS で暗号化する</source>
        <translation>Encrypt with TLS</translation>
    </message>
    <message>
        <source>CA 証明書ファイル（空欄: システムの証明書）</source>
        <translation>CA certificate file (empty: the system&apos;s certificates)</translation>
    </message>
    <message>
        <source>クライアント証明書ファイル</source>
        <translation>Client certificate file</translation>
    </message>
    <message>
        <source>クライアント秘密鍵ファイル</source>
        <translation>Client private key file</translation>
    </message>
    <message>
        <source>ブローカーのホスト名を確かめない（試験用）</source>
        <translation>Do not check the broker&apos;s host name (for testing)</translation>
    </message>
    <message>
        <source>この PC で専用のブローカー（mosquitto）を起動する</source>
        <translation>Start a private broker (mosquitto) on this PC</translation>
    </message>
    <message>
        <source>…</source>
        <translation>…</translation>
    </message>
    <message>
        <source>操作卓の合言葉（その都度入力し、保存しません）</source>
        <translation>Controller&apos;s passphrase (typed each time, never saved)</translation>
    </message>
    <message>
        <source>専用ブローカーに入れる部屋（カンマ区切り）</source>
        <translation>Rooms admitted to the private broker (comma-separated)</translation>
    </message>
    <message>
        <source>待ち受けるアドレス（空欄: この PC だけ）</source>
        <translation>Listening addresses (empty: this PC only)</translation>
    </message>
    <message>
        <source>LAN</source>
        <translation>LAN</translation>
    </message>
    <message>
        <source>専用ブローカーの証明書ファイル（TLS）</source>
        <translation>Private broker&apos;s certificate file (TLS)</translation>
    </message>
    <message>
        <source>専用ブローカーの秘密鍵ファイル（TLS）</source>
        <translation>Private broker&apos;s private key file (TLS)</translation>
    </message>
    <message>
        <source>設定は作業フォルダーの Tavrin-options.ini に、持ち主だけが読めるように保存され、OK を押すとすぐに使われます。合言葉があってユーザー名とパスワードが空欄なら、部屋の名前（操作卓は tavrin-controller）と合言葉から作ったパスワードでブローカーに入ります。専用のブローカーはその入り方だけを受け付けます。</source>
        <translation>The settings are saved in Tavrin-options.ini in the working folder, readable by its owner only, and take effect when you press OK. With a passphrase and an empty user name and password, Tavrin logs in to the broker with the room&apos;s name (the controller: tavrin-controller) and a password made from the passphrase. The private broker accepts only that way in.</translation>
    </message>
    <message>
        <source>試験の名前は 1 ～ 40 文字で、/ + # と制御文字を含まず、前後に空白のないものにしてください。</source>
        <translation>The examination name must be 1 to 40 characters, without / + # or control characters, and without spaces at either end.</translation>
    </message>
    <message>
        <source>部屋の名前は 1 ～ 40 文字で、/ + # と制御文字を含まず、前後に空白のないものにしてください。</source>
        <translation>The room name must be 1 to 40 characters, without / + # or control characters, and without spaces at either end.</translation>
    </message>
    <message>
        <source>ブローカーのホストを入力してください。</source>
        <translation>Enter the broker&apos;s host.</translation>
    </message>
    <message>
        <source>部屋と接続の設定は変えていません。</source>
        <translation>The rooms and connection settings are unchanged.</translation>
    </message>
    <message>
        <source>TLS のファイル %1 を使えません（%2）</source>
        <translation>The TLS file %1 cannot be used (%2)</translation>
    </message>
    <message>
        <source>ブローカーへの接続を始められませんでした（%1）。この Tavrin は 1 部屋で動いています。右クリックの「部屋と接続の設定」で設定を確かめてください。</source>
        <translation>The connection to the broker could not be started (%1). This Tavrin runs as a single room. Check the settings with &quot;Rooms and connection&quot; in the right-click menu.</translation>
    </message>
    <message>
        <source>続きの試験があります</source>
        <translation>An examination can be continued</translation>
    </message>
    <message>
        <source>ブローカーには、試験「%1」が途中の状態で残っています（%2 問目、%3 秒、%4）。各部屋はその試験を続けています。

この操作卓で続きを進めますか？
［開始前に戻す］を選ぶと、各部屋もこの操作卓と同じ開始前の状態に戻ります。</source>
        <translation>The broker holds examination &quot;%1&quot; part-way through (question %2, %3 s, %4). Every room is continuing it.

Continue it from this controller?
[Back to before the start] takes every room back to the same not-started state as this controller.</translation>
    </message>
    <message>
        <source>続きを進める</source>
        <translation>Continue it</translation>
    </message>
    <message>
        <source>開始前に戻す</source>
        <translation>Back to before the start</translation>
    </message>
    <message>
        <source>専用のブローカーを起動できません（mosquitto がインストールされていないか、起動に失敗しました: %1）。別のブローカーを指定するか、mosquitto をインストールしてください。</source>
        <translation>The private broker cannot be started (mosquitto is not installed, or failed to start: %1). Name another broker, or install mosquitto.</translation>
    </message>
    <message>
        <source>専用のブローカーを起動しませんでした：%1。右クリックの「部屋と接続の設定」で直してください。</source>
        <translation>The private broker was not started: %1. Correct this with &quot;Rooms and connection&quot; in the right-click menu.</translation>
    </message>
    <message>
        <source>部屋の名前「%1」は専用のブローカーでは使えません（部屋の名前として使えるもので、「:」を含まず、「%2」でないもの）</source>
        <translation>The room name &quot;%1&quot; cannot be used with the private broker (it must be a valid room name without &quot;:&quot; and not &quot;%2&quot;)</translation>
    </message>
    <message>
        <source>待ち受けるアドレス「%1」は IP アドレスではありません</source>
        <translation>The listening address &quot;%1&quot; is not an IP address</translation>
    </message>
    <message>
        <source>ファイル名「%1」は使えません（改行と前後の空白を含まないもの）</source>
        <translation>The file name &quot;%1&quot; cannot be used (no line breaks, no spaces at either end)</translation>
    </message>
    <message>
        <source>TLS には証明書ファイルと秘密鍵ファイルの両方が要ります</source>
        <translation>TLS needs both a certificate file and a private key file</translation>
    </message>
    <message>
        <source>その場所にシンボリックリンクが置かれているので、たどらずに使いませんでした。リンクを消してください。</source>
        <translation>A symbolic link is in that place, so it was not followed or used. Remove the link.</translation>
    </message>
    <message>
        <source>ふつうのファイルではありません</source>
        <translation>not an ordinary file</translation>
    </message>
    <message>
        <source>設定ファイル %1 は、パスワードか試験の合言葉を含むのに、ほかのユーザーも読める状態でした。持ち主だけが読めるように直しました。漏れたおそれがあれば、合言葉とパスワードを変えてください。</source>
        <translation>The options file %1 holds a password or the examination&apos;s passphrase but was readable by other users. It is now readable by its owner only. If it may have leaked, change the passphrase and passwords.</translation>
    </message>
    <message>
        <source>設定ファイル %1 は、パスワードか試験の合言葉を含むのに、ほかのユーザーも読める状態です。持ち主が別なので直せません。持ち主に chmod 600 で直してもらってください。</source>
        <translation>The options file %1 holds a password or the examination&apos;s passphrase but is readable by other users. It belongs to someone else, so it cannot be corrected. Ask its owner to run chmod 600 on it.</translation>
    </message>
    <message>
        <source>鍵ファイル %1 を読めません（%2）</source>
        <translation>The key file %1 cannot be read (%2)</translation>
    </message>
    <message>
        <source>%1 バイトより大きいファイルです</source>
        <translation>the file is larger than %1 bytes</translation>
    </message>
    <message>
        <source>%1 はほかのユーザーも読めるので使いません。chmod 600 %1 で持ち主だけが読めるようにしてから、もう一度指定してください</source>
        <translation>%1 is readable by other users, so it is not used. Make it readable by its owner only with chmod 600 %1, then name it again</translation>
    </message>
    <message>
        <source>%1 は Tavrin の鍵ファイルではないか、壊れているので使いません。正しいファイルを指定してください</source>
        <translation>%1 is not a Tavrin key file, or is damaged, so it is not used. Name the right file</translation>
    </message>
    <message>
        <source>鍵ファイル %1 を書けません（%2）。フォルダーに書き込めるか確かめてください</source>
        <translation>The key file %1 cannot be written (%2). Check that the folder is writable</translation>
    </message>
    <message>
        <source>参加ファイル %1 を使えません（%2）。操作卓で作り直したファイルを指定してください</source>
        <translation>The join file %1 cannot be used (%2). Name a file made again on the controller</translation>
    </message>
    <message>
        <source>参加ファイル %1 を書けません（%2）。フォルダーに書き込めるか確かめてください</source>
        <translation>The join file %1 cannot be written (%2). Check that the folder is writable</translation>
    </message>
    <message>
        <source>参加ファイルにしては大きすぎます</source>
        <translation>too large for a join file</translation>
    </message>
    <message>
        <source>Tavrin の参加ファイルではありません</source>
        <translation>not a Tavrin join file</translation>
    </message>
    <message>
        <source>この版の Tavrin では読めない版の参加ファイルです</source>
        <translation>a join file of a version this Tavrin cannot read</translation>
    </message>
    <message>
        <source>知らない項目があります</source>
        <translation>it has unknown fields</translation>
    </message>
    <message>
        <source>試験か部屋の名前が使えない名前です</source>
        <translation>the examination or room name cannot be used</translation>
    </message>
    <message>
        <source>試験の公開鍵が正しくありません</source>
        <translation>the examination&apos;s public key is not correct</translation>
    </message>
    <message>
        <source>ブローカーのアドレス、ポートか証明書の指紋が正しくありません</source>
        <translation>the broker&apos;s address, port or certificate fingerprint is not correct</translation>
    </message>
    <message>
        <source>ブローカーのユーザー名かパスワードが正しくありません</source>
        <translation>the broker&apos;s user name or password is not correct</translation>
    </message>
    <message>
        <source>専用ブローカーのログインのファイル %1 を使えません（%2）。消すと、新しいログインで作り直します（参加ファイルも書き出し直してください）</source>
        <translation>The private broker&apos;s login file %1 cannot be used (%2). If you remove it, it is made again with new logins (write the join files out again too)</translation>
    </message>
    <message>
        <source>専用ブローカーのログインのファイル %1 を書けません（%2）。フォルダーに書き込めるか確かめてください</source>
        <translation>The private broker&apos;s login file %1 cannot be written (%2). Check that the folder is writable</translation>
    </message>
    <message>
        <source>専用ブローカーの証明書 %1 を使えません（%2）。証明書と鍵の両方を消すと作り直します（参加ファイルも書き出し直してください）</source>
        <translation>The private broker&apos;s certificate %1 cannot be used (%2). Remove both the certificate and the key to have them made again (write the join files out again too)</translation>
    </message>
    <message>
        <source>PEM の証明書ではありません</source>
        <translation>not a PEM certificate</translation>
    </message>
    <message>
        <source>「%1」のログインがありません</source>
        <translation>there is no login for &quot;%1&quot;</translation>
    </message>
    <message>
        <source>ブローカーの証明書が参加ファイルの指紋と違うので、接続しませんでした。別の PC がブローカーになりすましているおそれがあります。操作卓で参加ファイルを書き出し直して、もう一度 --join で起動してください</source>
        <translation>The broker&apos;s certificate differs from the fingerprint in the join file, so no connection was made. Another PC may be posing as the broker. Write the join file out again on the controller and start again with --join</translation>
    </message>
    <message>
        <source>ブローカーがこの部屋のログインを断りました（%1）。操作卓でこの部屋の参加ファイルを書き出し直し、この PC で --join ファイル で起動し直してください</source>
        <translation>The broker refused this room&apos;s login (%1). Write this room&apos;s join file out again on the controller and restart this PC with --join FILE</translation>
    </message>
    <message>
        <source>専用のブローカーが、ログインできなかった接続を断りました（%1）。部屋なら、その部屋を「専用ブローカーに入れる部屋」に加えて、参加ファイルを書き出し直して渡してください</source>
        <translation>The private broker refused a connection that could not log in (%1). If it is a room, add it to &quot;Rooms admitted to the private broker&quot;, write the join files out again and hand them over</translation>
    </message>
    <message>
        <source>参加ファイルを書き出す…</source>
        <translation>Write join files…</translation>
    </message>
    <message>
        <source>参加ファイルを書き出すフォルダー</source>
        <translation>Folder for the join files</translation>
    </message>
    <message>
        <source>参加ファイルは、専用のブローカーを使う操作卓だけが書き出せます。右クリックの「部屋と接続の設定」で設定してください</source>
        <translation>Only a controller using a private broker can write join files. Set this up with &quot;Rooms and connection&quot; in the right-click menu</translation>
    </message>
    <message>
        <source>「専用ブローカーに入れる部屋」に部屋がないので、書き出す参加ファイルがありません</source>
        <translation>&quot;Rooms admitted to the private broker&quot; lists no rooms, so there are no join files to write</translation>
    </message>
    <message>
        <source>%1 に参加ファイルを %2 個書き出しました。各部屋の PC で「tavrin --join ファイル」と起動してください。ファイルにはその部屋のログインが入っているので、ほかの人に渡さないでください</source>
        <translation>Wrote %2 join files to %1. On each room&apos;s PC, start &quot;tavrin --join FILE&quot;. Each file holds that room&apos;s login, so give it to no one else</translation>
    </message>
    <message>
        <source>参加ファイル（%1）</source>
        <translation>Join file (%1)</translation>
    </message>
    <message>
        <source>部屋の PC で読み取り、持ち主だけが読めるファイル（chmod 600）に保存して --join で指定します。試験の公開鍵の指紋: %1</source>
        <translation>Scan it on the room&apos;s PC, save it in a file only its owner can read (chmod 600) and name it with --join. Fingerprint of the examination&apos;s public key: %1</translation>
    </message>
    <message>
        <source>試験の鍵がまだ用意できていないので、書き出せませんでした。少し待ってからもう一度試してください</source>
        <translation>The examination&apos;s key is not ready yet, so nothing was written. Wait a moment and try again</translation>
    </message>
    <message>
        <source>設定ファイル %1 に試験の合言葉かパスワードが残っていました。次に設定を保存するときに消します。合言葉は設定画面でその都度入力するか、--key-file の鍵ファイルを使ってください</source>
        <translation>The options file %1 still held the examination&apos;s passphrase or a password. It is removed the next time the settings are saved. Type the passphrase in the settings each time, or use a key file with --key-file</translation>
    </message>
    <message>
        <source>操作卓が書き出した参加ファイル FILE で、部屋として参加する。</source>
        <translation>Join as a room with the join file FILE written by the controller.</translation>
    </message>
    <message>
        <source>操作卓の鍵ファイル（空欄: Tavrin-exam.key）</source>
        <translation>Controller&apos;s key file (empty: Tavrin-exam.key)</translation>
    </message>
    <message>
        <source>この PC は部屋なので、操作卓にするには操作卓の合言葉か鍵ファイルをここで指定してください</source>
        <translation>This PC is a room; to make it the controller, give the controller&apos;s passphrase or key file here</translation>
    </message>
    <message>
        <source>指定された鍵はこの試験の鍵（指紋 %1）ではないので、操作卓になりませんでした。操作卓の合言葉か鍵ファイルを確かめてください</source>
        <translation>The key given is not this examination&apos;s key (fingerprint %1), so this did not become the controller. Check the controller&apos;s passphrase or key file</translation>
    </message>
    <message>
        <source>この試験の操作卓の鍵は合言葉から作るので、保存していません。右クリックの「部屋と接続の設定」で操作卓の合言葉を入力してください</source>
        <translation>This examination&apos;s controller key is made from the passphrase, so it is not saved. Type the controller&apos;s passphrase with &quot;Rooms and connection&quot; in the right-click menu</translation>
    </message>
    <message>
        <source>--join は、ほかの試験や接続の指定と一緒には使えません（参加ファイルに全部入っています）</source>
        <translation>--join cannot be used with other examination or connection options (the join file holds them all)</translation>
    </message>
    <message>
        <source>もう使わないファイル %1 を消せません。手で消してください</source>
        <translation>The file %1, no longer used, cannot be removed. Remove it by hand</translation>
    </message>
    <message>
        <source>実技試験のタイマー。オプションなしでは 1 部屋で動きます。
--exam と --broker で試験の操作卓として、さらに --room でその試験の部屋として起動します。</source>
        <translation>A timer for practical examinations. Without options it runs as a single room.
With --exam and --broker it starts as an examination&apos;s controller, and with --room as well, as a room of that examination.</translation>
    </message>
    <message>
        <source>操作卓または部屋として加わる試験の名前。</source>
        <translation>Name of the examination to join as controller or room.</translation>
    </message>
    <message>
        <source>部屋 NAME として、操作卓に連動して起動する。</source>
        <translation>Start as room NAME, in step with the controller.</translation>
    </message>
    <message>
        <source>MQTT ブローカーのホストとポート（省略時 1883）。</source>
        <translation>Host and port of the MQTT broker (port 1883 if omitted).</translation>
    </message>
    <message>
        <source>操作卓がこの PC で専用の mosquitto を起動する（ポートは --broker のもの）。</source>
        <translation>The controller starts a private mosquitto on this PC (on the port of --broker).</translation>
    </message>
    <message>
        <source>操作卓の試験の秘密鍵を FILE から読む（ないときは作る。持ち主だけが読めるファイル）。省略時は設定ファイルの隣の Tavrin-exam.key。</source>
        <translation>Read the controller&apos;s examination private key from FILE (made if missing; a file only its owner can read). Default: Tavrin-exam.key beside the settings file.</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>HOST[:PORT]</source>
        <translation>HOST[:PORT]</translation>
    </message>
    <message>
        <source>コマンドラインの指定を使えません：%1
この Tavrin は部屋と連動せずに動いています。</source>
        <translation>The command line options cannot be used: %1
This Tavrin runs without rooms.</translation>
    </message>
    <message>
        <source>--exam と --broker は両方とも指定してください</source>
        <translation>give both --exam and --broker</translation>
    </message>
    <message>
        <source>ポート「%1」は 1 ～ 65535 の数ではありません</source>
        <translation>the port &quot;%1&quot; is not a number from 1 to 65535</translation>
    </message>
    <message>
        <source>名前「%1」は使えません（1 ～ 40 文字、/ + # と制御文字を含まない）</source>
        <translation>the name &quot;%1&quot; cannot be used (1 to 40 characters, without / + # or control characters)</translation>
    </message>
    <message>
        <source>ブラウザに表示</source>
        <translation>Show in a browser</translation>
    </message>
    <message>
        <source>ブラウザ表示のアドレスと QR コード…</source>
        <translation>Browser view address and QR code…</translation>
    </message>
    <message>
        <source>ブラウザ表示</source>
        <translation>Browser view</translation>
    </message>
    <message>
        <source>同じネットワークのタブレット・スマートフォン・PC のブラウザで、次のアドレスを開いてください（QR コードはスマートフォンのカメラで読めます）。画面をタップすると全画面になり、音も鳴ります。</source>
        <translation>Open the following address in the browser of a tablet, smartphone or PC on the same network (a smartphone&apos;s camera reads the QR code). Tap the screen for full screen and sound.</translation>
    </message>
    <message>
        <source>ブラウザ表示は止まっています。右クリックメニューの「ブラウザに表示」で始めてください。</source>
        <translation>The browser view is stopped. Start it with &quot;Show in a browser&quot; in the right-click menu.</translation>
    </message>
    <message>
        <source>LAN のアドレスでは表示していません（この PC がネットワークにつながっていないか、[web] の address に LAN のアドレスがありません）。ネットワークにつないでからブラウザ表示を始め直すと、ほかの端末から開けます。</source>
        <translation>Not shown on a LAN address (this PC is not connected to a network, or [web] address holds no LAN address). Connect to the network and start the browser view again to open it from other devices.</translation>
    </message>
    <message>
        <source>ブラウザ表示を始められません（ポート %1：%2）。そのポートを使っているプログラムを終了するか、%3 の [web] の port に別のポートを書いてください。[web] の address にこの PC のものでないアドレスがあれば、消してください。</source>
        <translation>The browser view cannot start (port %1: %2). Close the program that uses that port, or write another port in [web] port of %3. If [web] address holds an address that is not this PC&apos;s, remove it.</translation>
    </message>
    <message>
        <source>ブラウザ表示を始められません：%2 の [web] の address の「%1」はアドレスではありません。127.0.0.1, 192.168.1.10 のようにコンマで区切って書くか、address の行を消してください（この PC のループバックと LAN のアドレスで表示します）。</source>
        <translation>The browser view cannot start: &quot;%1&quot; in [web] address of %2 is not an address. Write addresses separated by commas, like 127.0.0.1, 192.168.1.10, or remove the address line (then this PC&apos;s loopback and LAN addresses are used).</translation>
    </message>
    <message>
        <source>--web の指定を使えません：%1
ブラウザ表示は止まっています。</source>
        <translation>The --web option cannot be used: %1
The browser view is stopped.</translation>
    </message>
    <message>
        <source>開いているページ：%1</source>
        <translation>Open pages: %1</translation>
    </message>
    <message>
        <source>部屋の表示をブラウザにも出す（--web のあとにポート番号を書けます。省略時は前回のポート、初めは 8765）。</source>
        <translation>Show the room display in browsers too (a port number may follow --web; default: the last port, at first 8765).</translation>
    </message>
    <message>
        <source>時差 %1 ms（往復 %2 ms）</source>
        <translation>offset %1 ms (round trip %2 ms)</translation>
    </message>
    <message>
        <source>● 接続待ち</source>
        <translation>● waiting for connection</translation>
    </message>
    <message>
        <source>タップで全画面・音</source>
        <translation>tap: full screen and sound</translation>
    </message>
    <message>
        <source>開始時刻を予約...</source>
        <translation>Start at a time...</translation>
    </message>
    <message>
        <source>開始時刻の予約を取り消す</source>
        <translation>Cancel the start time</translation>
    </message>
    <message>
        <source>開始時刻の予約</source>
        <translation>Start at a time</translation>
    </message>
    <message>
        <source>今日の開始時刻を 時:分 または 時:分:秒 で入力してください（例 09:00）。
その時刻の 0 秒ちょうどに試験が始まります。</source>
        <translation>Enter today&apos;s start time as hours:minutes or hours:minutes:seconds (e.g. 09:00).
The examination starts exactly at second 0 of that time.</translation>
    </message>
    <message>
        <source>開始時刻「%1」は読めません。今日の 時:分 または 時:分:秒 で入力してください（例 09:00、13:30:00）。</source>
        <translation>The start time &quot;%1&quot; cannot be read. Enter today&apos;s time as hours:minutes or hours:minutes:seconds (e.g. 09:00, 13:30:00).</translation>
    </message>
    <message>
        <source>開始時刻 %1 は今日の時刻としてはもう過ぎています（いまは %2）。予約していません。
日付をまたぐ予約はできません。今日のこれからの時刻を入力してください。</source>
        <translation>The start time %1 has already passed today (it is now %2). Nothing was scheduled.
A start cannot be set past midnight. Enter a time later today.</translation>
    </message>
    <message>
        <source>試験が進行中のため、開始時刻を予約できません。リセットしてから予約してください。</source>
        <translation>An examination is running, so no start time can be set. Reset first, then set it.</translation>
    </message>
    <message>
        <source>この Tavrin は部屋として操作卓に連動しています。開始時刻は操作卓で予約してください。</source>
        <translation>This Tavrin is a room following the controller. Set the start time on the controller.</translation>
    </message>
    <message>
        <source>開始時刻 %1 を予約しました。</source>
        <translation>Start time %1 set.</translation>
    </message>
    <message>
        <source>予約されていた開始時刻 %1 を引き続き待ちます。</source>
        <translation>Still waiting for the start time %1 set before.</translation>
    </message>
    <message>
        <source>開始時刻 %1 の予約を取り消しました。</source>
        <translation>Cancelled the start time %1.</translation>
    </message>
    <message>
        <source>操作卓が開始時刻 %1 を予約しました。</source>
        <translation>The controller set the start time %1.</translation>
    </message>
    <message>
        <source>操作卓が開始時刻の予約を取り消しました。</source>
        <translation>The controller cancelled the start time.</translation>
    </message>
    <message>
        <source>予約した開始時刻 %1 に試験を開始しました。</source>
        <translation>Started the examination at the set time %1.</translation>
    </message>
    <message>
        <source>予約した開始時刻 %1 に間に合わず、%2 ミリ秒遅れて開始しました。</source>
        <translation>Missed the set start time %1; started %2 milliseconds late.</translation>
    </message>
    <message>
        <source>開始時刻 %1 の予約があります。その時刻に自動で開始します。
いますぐ開始するには、右クリックのメニューで予約を取り消して（Shift+F9）から［開始］を押してください。</source>
        <translation>A start time %1 is set. The examination starts by itself then.
To start now, cancel the start time in the right-click menu (Shift+F9), then press [Start].</translation>
    </message>
    <message>
        <source>予約されていた開始時刻 %1 は、この Tavrin が動いていない間に過ぎ、その試験はもう終わっている時刻です。予約は取り消しました。</source>
        <translation>The start time %1 passed while this Tavrin was not running, and that examination would be over by now. The start time was cancelled.</translation>
    </message>
    <message>
        <source>開始まで
%1</source>
        <translation>Start in
%1</translation>
    </message>
    <message>
        <source>今日の開始時刻 HH:MM[:SS] を予約する。</source>
        <translation>Set today&apos;s start time HH:MM[:SS].</translation>
    </message>
    <message>
        <source>HH:MM[:SS]</source>
        <translation>HH:MM[:SS]</translation>
    </message>
    <message>
        <source>%1接続 %2・時刻差 %3・部屋の表示 %4・音の確認 %5・記録 %6</source>
        <translation>%1connection %2 · offset %3 · room display %4 · sound check %5 · record %6</translation>
    </message>
    <message>
        <source>準備よし：</source>
        <translation>Ready: </translation>
    </message>
    <message>
        <source>準備まだ：</source>
        <translation>Not ready: </translation>
    </message>
    <message>
        <source>○</source>
        <translation>○</translation>
    </message>
    <message>
        <source>%1 ±%2 ms</source>
        <translation>%1 ±%2 ms</translation>
    </message>
    <message>
        <source>システム時計</source>
        <translation>system clock</translation>
    </message>
    <message>
        <source>ブローカー経由で測定 ±%1 ms</source>
        <translation>measured through the broker ±%1 ms</translation>
    </message>
    <message>
        <source>（同期済みの時計は誤差 %1 ms と大きいため使いません）</source>
        <translation> (the synchronised clock is not used: its error of %1 ms is too large)</translation>
    </message>
    <message>
        <source>（同期済みと報告する時計がブローカー経由の測定と合わないため使いません。時刻サーバーの設定を確かめてください）</source>
        <translation> (the clock that reports itself synchronised disagrees with the measurement through the broker, so it is not used. Check the time server settings)</translation>
    </message>
    <message>
        <source>不明</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>閉じている</source>
        <translation>closed</translation>
    </message>
    <message>
        <source>まだしていない</source>
        <translation>not yet done</translation>
    </message>
    <message>
        <source>確認中</source>
        <translation>checking</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>内蔵音</source>
        <translation>built-in</translation>
    </message>
    <message>
        <source>無音</source>
        <translation>silent</translation>
    </message>
    <message>
        <source>鳴らず</source>
        <translation>not heard</translation>
    </message>
    <message>
        <source>この部屋の Tavrin は準備の状態を送りません（古い版です）</source>
        <translation>This room&apos;s Tavrin does not send its readiness (old version)</translation>
    </message>
    <message>
        <source>準備のできた部屋：%1 / %2</source>
        <translation>Rooms ready: %1 / %2</translation>
    </message>
    <message>
        <source>全部屋で音の確認</source>
        <translation>Sound check in all rooms</translation>
    </message>
    <message>
        <source>試験の進行中は、部屋に音の確認を頼めません。試験の前か、リセットの後に頼んでください。</source>
        <translation>While an examination is running, rooms cannot be asked for a sound check. Ask before the examination or after a reset.</translation>
    </message>
    <message>
        <source>音の確認は %1 秒前に頼んだばかりです。各部屋の確認が終わるまでお待ちください。</source>
        <translation>A sound check was asked for only %1 seconds ago. Wait until the rooms have finished it.</translation>
    </message>
    <message>
        <source>ブローカーにつながっていないため、音の確認を頼めませんでした。接続を確かめてから、もう一度押してください。</source>
        <translation>Not connected to the broker, so the sound check could not be asked for. Check the connection and press again.</translation>
    </message>
    <message>
        <source>全部屋に音の確認を頼みました。</source>
        <translation>Asked all rooms for a sound check.</translation>
    </message>
    <message>
        <source>操作卓からの音の確認の依頼を断りました（試験の進行中です）。</source>
        <translation>Refused the controller&apos;s request for a sound check (an examination is running).</translation>
    </message>
    <message>
        <source>部屋 %1 の音の確認（%2）：%3</source>
        <translation>Sound check of room %1 (%2): %3</translation>
    </message>
    <message>
        <source>操作卓の依頼で音の確認を始めました。</source>
        <translation>Started a sound check at the controller&apos;s request.</translation>
    </message>
    <message>
        <source>スピーカーの遅れの補正...</source>
        <translation>Speaker delay correction...</translation>
    </message>
    <message>
        <source>スピーカーの遅れの補正</source>
        <translation>Speaker delay correction</translation>
    </message>
    <message>
        <source>この PC のスピーカーが、報告より遅れて（または早く）鳴らす分をミリ秒で入力してください（%1 ～ %2、遅れるときはプラス）。
合図はその分だけ早く出します。いまの出力：%3</source>
        <translation>Enter in milliseconds how much later (or earlier) than reported this PC&apos;s speakers sound (%1 to %2, plus when late).
The cues are sent that much earlier. Current output: %3</translation>
    </message>
    <message>
        <source>補正 %1 ms は受け付けません。%2 ～ %3 ms の範囲で入力してください。補正は %4 ms のままです。</source>
        <translation>A correction of %1 ms is not accepted. Enter %2 to %3 ms. The correction stays at %4 ms.</translation>
    </message>
    <message>
        <source>オプションファイルの [sound] speakerDelayMs「%1」は使えません（%2 ～ %3 の整数だけ）。補正なし（0 ms）で鳴らします。
右クリックの「スピーカーの遅れの補正」（F12）で設定し直してください。</source>
        <translation>[sound] speakerDelayMs &quot;%1&quot; in the options file cannot be used (integers from %2 to %3 only). Sounding without correction (0 ms).
Set it again with &quot;Speaker delay correction&quot; (F12) in the right-click menu.</translation>
    </message>
    <message>
        <source>スピーカーの遅れの補正を %1 ms にしました。</source>
        <translation>Set the speaker delay correction to %1 ms.</translation>
    </message>
    <message>
        <source>%1（報告された遅れ %2 ms）%3</source>
        <translation>%1 (reported delay %2 ms)%3</translation>
    </message>
    <message>
        <source>報告なし</source>
        <translation>not reported</translation>
    </message>
    <message>
        <source>Bluetooth</source>
        <translation>Bluetooth</translation>
    </message>
    <message>
        <source>ネットワーク</source>
        <translation>network</translation>
    </message>
    <message>
        <source>【注意：%1 の出力は遅れが大きく、変わりやすい】</source>
        <translation>[Caution: %1 output has a large, changing delay]</translation>
    </message>
    <message>
        <source>・スピーカー 遅れ %1 ms＋補正 %2 ms%3</source>
        <translation> · speaker delay %1 ms + correction %2 ms%3</translation>
    </message>
    <message>
        <source>言語 / Language → English</source>
        <translation>Language / 言語 → English</translation>
    </message>
    <message>
        <source>言語 / Language → 日本語</source>
        <translation>Language / 言語 → 日本語</translation>
    </message>
    <message>
        <source>日本語</source>
        <translation>Japanese</translation>
    </message>
    <message>
        <source>英語</source>
        <translation>English</translation>
    </message>
    <message>
        <source>次に起動したときから%1で表示します（オプションファイル %2 に保存しました）。今の表示はこのまま変わりません。</source>
        <translation>From the next start, Tavrin shows in %1 (saved in the options file %2). The current display stays as it is.</translation>
    </message>
    <message>
        <source>表示の言語「%1」（--language かオプションファイルの [ui] language）は使えません（ja か en だけ）。日本語で表示しています。</source>
        <translation>The display language &quot;%1&quot; (--language or [ui] language in the options file) cannot be used (only ja or en). Showing in Japanese.</translation>
    </message>
    <message>
        <source>表示の言語 LANG（ja: 日本語、en: 英語）。</source>
        <translation>Display language LANG (ja: Japanese, en: English).</translation>
    </message>
    <message>
        <source>LANG</source>
        <translation>LANG</translation>
    </message>
    <message>
        <source>%1&#x3000;%2:%3</source>
        <translation>%1  %2:%3</translation>
    </message>
    <message>
        <source>問題を読む時間</source>
        <translation>Reading time</translation>
    </message>
    <message>
        <source>休憩</source>
        <translation>Break</translation>
    </message>
    <message>
        <source>プログラムを選んでいる間は、時間と問題数の入力は使いません（入力は受け付けていません）。
欄の値で試験をするときは、プログラムの選択をやめてから入力してください。</source>
        <translation>While a programme is chosen, the times and the number of questions entered are not used (the entry was not accepted).
To run the examination with the boxes&apos; values, stop using the programme first, then enter them.</translation>
    </message>
    <message>
        <source>選んだプログラムは、いまの試験が終わるかリセットしたときから使います。いまの試験はそのまま続きます。</source>
        <translation>The chosen programme is used once the current examination ends or is reset. The current examination goes on as it is.</translation>
    </message>
    <message>
        <source>このプログラムは使えません（部分は 1 ～ 100 個、合計 24 時間まで、各ブロックは (解答＋移動)×問題数 が 32767 秒まで）。
いままでの計画のままです。プログラムを直してから選び直してください。</source>
        <translation>This programme cannot be used (1 to 100 parts, 24 hours in all at most, and (answer + move) × questions up to 32767 seconds in each block).
The plan stays as it was. Correct the programme, then choose it again.</translation>
    </message>
    <message>
        <source>このプログラムは部屋へ送るには大きすぎます（部分の数か表示の文が多すぎます）。いままでの計画のままです。
部分を減らすか、表示の文を短くしてから選び直してください。</source>
        <translation>This programme is too large to send to the rooms (too many parts or too much banner text). The plan stays as it was.
Use fewer parts or shorter banners, then choose it again.</translation>
    </message>
    <message>
        <source>第 %1 部：%2（予定 %3、実際 %4）</source>
        <translation>Part %1: %2 (due %3, actual %4)</translation>
    </message>
    <message>
        <source>休憩 %1 秒</source>
        <translation>break of %1 s</translation>
    </message>
    <message>
        <source>%1 問 × (解答 %2 秒＋移動 %3 秒、読む時間 %4 秒)</source>
        <translation>%1 questions × (answer %2 s + move %3 s, reading %4 s)</translation>
    </message>
    <message>
        <source>部分の始まり</source>
        <translation>Part begins</translation>
    </message>
    <message>
        <source>停止中</source>
        <translation>Suspended</translation>
    </message>
    <message>
        <source>再開まで
%1 秒</source>
        <translation>Back in
%1 s</translation>
    </message>
    <message>
        <source>次の問題から
再開します</source>
        <translation>Back at the
next question</translation>
    </message>
    <message>
        <source>操作卓</source>
        <translation>controller</translation>
    </message>
    <message>
        <source>この部屋</source>
        <translation>this room</translation>
    </message>
    <message>
        <source>部屋</source>
        <translation>room</translation>
    </message>
    <message>
        <source>この部屋を止めました（%1 の操作、%2 問目）。ほかの部屋はそのまま進みます。</source>
        <translation>This room was suspended (by %1, at question %2). The other rooms go on.</translation>
    </message>
    <message>
        <source>この部屋を戻します（%1 の操作）。次の問題の始まりから、ほかの部屋と一緒に進みます。</source>
        <translation>This room is being brought back (by %1). It goes on with the other rooms from the start of the next question.</translation>
    </message>
    <message>
        <source>この部屋はほかの部屋と一緒に進んでいます。</source>
        <translation>This room is back in step with the other rooms.</translation>
    </message>
    <message>
        <source>この部屋を止める／戻す...</source>
        <translation>Suspend or bring back this room...</translation>
    </message>
    <message>
        <source>この部屋を止める</source>
        <translation>Suspend this room</translation>
    </message>
    <message>
        <source>この部屋の時計を止めます。ほかの部屋はそのまま進みます。
戻すときは、もう一度 Ctrl+F8 を押すか、操作卓から戻してください。
止めますか？</source>
        <translation>This suspends this room&apos;s clock. The other rooms go on.
To bring it back, press Ctrl+F8 again, or bring it back from the controller.
Suspend it?</translation>
    </message>
    <message>
        <source>この部屋を戻します。次の問題の始まりから、ほかの部屋と一緒に進みます。
戻しますか？</source>
        <translation>This brings this room back. It goes on with the other rooms from the start of the next question.
Bring it back?</translation>
    </message>
    <message>
        <source>この PC は部屋として試験に加わっていないため、止められませんでした。操作卓の「部屋の状態」（F8）から部屋を止めるか、部屋の設定を確かめてください。</source>
        <translation>This PC has not joined an examination as a room, so it could not be suspended. Suspend rooms from &quot;Rooms&apos; status&quot; (F8) on the controller, or check the room settings.</translation>
    </message>
    <message>
        <source>部屋 %1 への指示を送れませんでした（ブローカーにつながっていません）。接続を確かめてから、もう一度押してください。</source>
        <translation>The instruction could not be sent to room %1 (not connected to the broker). Check the connection and press again.</translation>
    </message>
    <message>
        <source>部屋 %1 に「%2」を送りました。</source>
        <translation>Sent &quot;%2&quot; to room %1.</translation>
    </message>
    <message>
        <source>選んだ部屋を止める</source>
        <translation>Suspend room</translation>
    </message>
    <message>
        <source>選んだ部屋を戻す</source>
        <translation>Bring room back</translation>
    </message>
    <message>
        <source>表で部屋を一つ選んでから押してください。</source>
        <translation>Select one room in the table, then press this.</translation>
    </message>
    <message>
        <source>部屋 %1 を止めます。ほかの部屋はそのまま進みます。止めますか？</source>
        <translation>This suspends room %1. The other rooms go on. Suspend it?</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Suspended</translation>
    </message>
    <message>
        <source>止めています（%1）</source>
        <translation>Suspended (%1)</translation>
    </message>
    <message>
        <source>再開まで %1 秒</source>
        <translation>Back in %1 s</translation>
    </message>
    <message>
        <source>再開待ち（次の問題）</source>
        <translation>Back at the next question</translation>
    </message>
    <message>
        <source>・止めています（%1）</source>
        <translation> · suspended (%1)</translation>
    </message>
    <message>
        <source>部屋 %1 の停止：%2 から %3 まで、失った問題 %4（止めたのは %5）</source>
        <translation>Room %1 suspended from %2 to %3, lost %4 (suspended by %5)</translation>
    </message>
    <message>
        <source>%1～%2 問目</source>
        <translation>questions %1–%2</translation>
    </message>
    <message>
        <source>%1 問目</source>
        <translation>question %1</translation>
    </message>
    <message>
        <source>部屋の停止</source>
        <translation>Room suspended</translation>
    </message>
    <message>
        <source>停止の記録を CSV に書き出す...</source>
        <translation>Export suspensions as CSV...</translation>
    </message>
    <message>
        <source>部屋の停止.csv</source>
        <translation>room-suspensions.csv</translation>
    </message>
    <message>
        <source>停止の記録を CSV に書き出す</source>
        <translation>Export suspensions as CSV</translation>
    </message>
    <message>
        <source>%1 行目：%2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>%1 番目の部：%2</source>
        <translation>Part %1: %2</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます（%1 バイトまで）。</source>
        <translation>The file is too large (%1 bytes at most).</translation>
    </message>
    <message>
        <source>UTF-8 として読めないバイトがあります。UTF-8 で保存し直してください。</source>
        <translation>Some bytes cannot be read as UTF-8. Save the file again as UTF-8.</translation>
    </message>
    <message>
        <source>「%1」は使えません。部は [block]（問題のブロック）か [break]（休憩）だけです。</source>
        <translation>&quot;%1&quot; cannot be used. A part is either [block] (a block of questions) or [break] (a break).</translation>
    </message>
    <message>
        <source>「%1」がどの部にも入っていません。先に [block] か [break] の行を書いてください。</source>
        <translation>&quot;%1&quot; is not in any part. Write a [block] or [break] line first.</translation>
    </message>
    <message>
        <source>「%1」は読めません。書けるのは「キー = 値」、# で始まるコメント、[block] と [break] だけです。</source>
        <translation>&quot;%1&quot; cannot be read. Only &quot;key = value&quot;, comments starting with #, [block] and [break] can be written.</translation>
    </message>
    <message>
        <source>キー「%1」は [%2] では使えません。使えるキー：%3。</source>
        <translation>The key &quot;%1&quot; cannot be used in [%2]. Keys that can be used: %3.</translation>
    </message>
    <message>
        <source>キー「%1」がこの部に 2 度あります。1 度だけ書いてください。</source>
        <translation>The key &quot;%1&quot; appears twice in this part. Write it only once.</translation>
    </message>
    <message>
        <source>%1「%2」は整数ではありません。1 ～ %3 の整数を書いてください。</source>
        <translation>%1 &quot;%2&quot; is not a whole number. Write a whole number from 1 to %3.</translation>
    </message>
    <message>
        <source>%1「%2」は 0 以下です。1 ～ %3 の整数を書いてください。</source>
        <translation>%1 &quot;%2&quot; is 0 or less. Write a whole number from 1 to %3.</translation>
    </message>
    <message>
        <source>%1「%2」は大きすぎます。1 ～ %3 の整数を書いてください。</source>
        <translation>%1 &quot;%2&quot; is too large. Write a whole number from 1 to %3.</translation>
    </message>
    <message>
        <source>%1「%2」は yes か no で書いてください。</source>
        <translation>%1 &quot;%2&quot;: write yes or no.</translation>
    </message>
    <message>
        <source>%1 が %2 文字あります。%3 文字までにしてください。</source>
        <translation>%1 has %2 characters. Use %3 characters at most.</translation>
    </message>
    <message>
        <source>%1 に制御文字があります。ふつうの文字だけにしてください。</source>
        <translation>%1 has control characters. Use ordinary characters only.</translation>
    </message>
    <message>
        <source>[%1] にキー「%2」がありません（必ず書くキー：%3）。</source>
        <translation>[%1] has no key &quot;%2&quot; (keys that must be written: %3).</translation>
    </message>
    <message>
        <source>このブロックは (%1 ＋ %2 ＋ %3) × %4 ＝ %5 秒で、%6 秒を超えます。時間か問題数を減らしてください。</source>
        <translation>This block is (%1 + %2 + %3) × %4 = %5 seconds, more than %6 seconds. Shorten the times or use fewer questions.</translation>
    </message>
    <message>
        <source>ここまでで %1 秒になり、24 時間（%2 秒）を超えます。部を減らすか短くしてください。</source>
        <translation>Up to here it comes to %1 seconds, more than 24 hours (%2 seconds). Use fewer or shorter parts.</translation>
    </message>
    <message>
        <source>部が %1 を超えます。1 つのプログラムは %1 部までです。</source>
        <translation>There are more than %1 parts. A programme has %1 parts at most.</translation>
    </message>
    <message>
        <source>部が 1 つもありません。[block] か [break] を 1 つ以上書いてください。</source>
        <translation>There are no parts. Write at least one [block] or [break].</translation>
    </message>
    <message>
        <source>ふつうのファイルではありません。プログラムのファイルを選んでください。</source>
        <translation>This is not an ordinary file. Choose a programme file.</translation>
    </message>
    <message>
        <source>ファイルを読めませんでした（%1）。</source>
        <translation>The file could not be read (%1).</translation>
    </message>
    <message>
        <source>ファイル「%1」に書けませんでした（%2）。ファイルは前のままです。</source>
        <translation>Could not write to the file &quot;%1&quot; (%2). The file is unchanged.</translation>
    </message>
    <message>
        <source># Tavrin のプログラム（UTF-8）。# で始まる行はコメントです。
# 部は上から順に進みます。[block] は問題のブロック、[break] は休憩です。
# [block]  questions = 問題数、answer = 解答時間（秒）、move = 移動時間（秒）
#          reading = 読む時間（秒、省略可）、reading banner = 読む時間の掲示、
#          reading cue = 読む時間の終わりの合図（yes / no）
# [break]  seconds = 休憩の長さ（秒）、banner = 休憩中の掲示
# 時間と問題数は 1 ～ 32767、1 ブロックは 32767 秒まで、全体は 24 時間までです。
</source>
        <translation># Tavrin programme (UTF-8). Lines starting with # are comments.
# The parts run in order from the top. [block] is a block of questions, [break] is a break.
# [block]  questions = number of questions, answer = answer time (s), move = move time (s)
#          reading = reading time (s, optional), reading banner = banner for the reading time,
#          reading cue = cue at the end of the reading time (yes / no)
# [break]  seconds = length of the break (s), banner = banner during the break
# Times and numbers of questions are 1 to 32767; a block is 32767 s at most, the whole 24 hours.
</translation>
    </message>
    <message>
        <source>時間割...</source>
        <translation>Timetable...</translation>
    </message>
    <message>
        <source>時間割</source>
        <translation>Timetable</translation>
    </message>
    <message>
        <source>%1 %2 開始の時間割</source>
        <translation>Timetable for a start at %1 %2</translation>
    </message>
    <message>
        <source>開始時刻が予約されていないため、開始からの時間（開始＋0:00:00）で示します。時刻で示すには、右クリックの「開始時刻を予約」（F9）で予約してください。</source>
        <translation>No start time is set, so times are shown from the start (+0:00:00). To show clock times, set one with &quot;Start at a time&quot; (F9) in the right-click menu.</translation>
    </message>
    <message>
        <source>プログラムが選ばれていないため、3 つの欄の時間と問題数（1 ブロック）で示します。</source>
        <translation>No programme is chosen, so the times and number of questions in the 3 boxes (one block) are shown.</translation>
    </message>
    <message>
        <source>部</source>
        <translation>Part</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>終わり</source>
        <translation>End</translation>
    </message>
    <message>
        <source>ブロック %1&#x3000;第 1 問</source>
        <translation>Block %1, question 1</translation>
    </message>
    <message>
        <source>ブロック %1&#x3000;第 %2 問（最後）</source>
        <translation>Block %1, question %2 (last)</translation>
    </message>
    <message>
        <source>休憩（%1）</source>
        <translation>Break (%1)</translation>
    </message>
    <message>
        <source>PDF に書き出す...</source>
        <translation>Export as PDF...</translation>
    </message>
    <message>
        <source>CSV に書き出す...</source>
        <translation>Export as CSV...</translation>
    </message>
    <message>
        <source>PDF (*.pdf)</source>
        <translation>PDF (*.pdf)</translation>
    </message>
    <message>
        <source>CSV (*.csv)</source>
        <translation>CSV (*.csv)</translation>
    </message>
    <message>
        <source>時間割を「%1」に書き出しました。</source>
        <translation>Exported the timetable to &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>時間割を「%1」に書き出せませんでした（%2）。ほかの場所を選んで、もう一度書き出してください。</source>
        <translation>Could not export the timetable to &quot;%1&quot; (%2). Choose another place and export again.</translation>
    </message>
    <message>
        <source>プログラムのファイル FILE（ブロックと休憩の並び）で試験を進める。</source>
        <translation>Run the examination by the programme file FILE (a sequence of blocks and breaks).</translation>
    </message>
    <message>
        <source>プログラム...</source>
        <translation>Programme...</translation>
    </message>
    <message>
        <source>プログラム（ブロックと休憩）</source>
        <translation>Programme (blocks and breaks)</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>読む時間</source>
        <translation>Reading</translation>
    </message>
    <message>
        <source>解答</source>
        <translation>Answer</translation>
    </message>
    <message>
        <source>移動</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>掲示</source>
        <translation>Banner</translation>
    </message>
    <message>
        <source>読む時間の合図</source>
        <translation>Reading cue</translation>
    </message>
    <message>
        <source>長さ</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>ブロック</source>
        <translation>Block</translation>
    </message>
    <message>
        <source> 秒</source>
        <translation> s</translation>
    </message>
    <message>
        <source>合計 %1（%2 秒）</source>
        <translation>Total %1 (%2 s)</translation>
    </message>
    <message>
        <source>開始時刻 %1 からの時刻で示しています。</source>
        <translation>Times are shown from the start time %1.</translation>
    </message>
    <message>
        <source>開始時刻が予約されていないため、開始からの時間で示しています（F9 で予約すると時刻になります）。</source>
        <translation>No start time is set, so times are shown from the start (set one with F9 to see clock times).</translation>
    </message>
    <message>
        <source>使用中：%1</source>
        <translation>In use: %1</translation>
    </message>
    <message>
        <source>使用中：なし（3 つの欄の時間と問題数）</source>
        <translation>In use: none (the times and number of questions in the 3 boxes)</translation>
    </message>
    <message>
        <source>（保存していないプログラム）</source>
        <translation>(unsaved programme)</translation>
    </message>
    <message>
        <source>ブロックを追加</source>
        <translation>Add block</translation>
    </message>
    <message>
        <source>休憩を追加</source>
        <translation>Add break</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>上へ</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下へ</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>開く...</source>
        <translation>Open...</translation>
    </message>
    <message>
        <source>名前を付けて保存...</source>
        <translation>Save as...</translation>
    </message>
    <message>
        <source>使う</source>
        <translation>Use</translation>
    </message>
    <message>
        <source>使わない（3 つの欄に戻す）</source>
        <translation>Do not use (back to the 3 boxes)</translation>
    </message>
    <message>
        <source>Tavrin のプログラム (*.txt *.tavrin);;すべてのファイル (*)</source>
        <translation>Tavrin programmes (*.txt *.tavrin);;All files (*)</translation>
    </message>
    <message>
        <source>休憩中</source>
        <translation>Break time</translation>
    </message>
    <message>
        <source>プログラム %1 を使います（%2 部、合計 %3）。</source>
        <translation>Using the programme %1 (%2 parts, %3 in all).</translation>
    </message>
    <message>
        <source>プログラムを使わず、3 つの欄の時間と問題数で進めます。</source>
        <translation>No programme: the examination runs by the times and number of questions in the 3 boxes.</translation>
    </message>
    <message>
        <source>プログラムのファイル「%1」を読み込みませんでした。
%2
使用中のプログラムは変わっていません。ファイルを直してから、右クリックの「プログラム」（F4）で開き直してください。</source>
        <translation>The programme file &quot;%1&quot; was not loaded.
%2
The programme in use is unchanged. Correct the file, then open it again with &quot;Programme&quot; (F4) in the right-click menu.</translation>
    </message>
    <message>
        <source>このプログラムは使えません。
%1
使用中のプログラムは変わっていません。直してから「使う」を押してください。</source>
        <translation>This programme cannot be used.
%1
The programme in use is unchanged. Correct it, then press &quot;Use&quot;.</translation>
    </message>
    <message>
        <source>プログラムを「%1」に保存しました。</source>
        <translation>Saved the programme to &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>試験の進行中はプログラムを変えられません。リセットしてから選び直してください。</source>
        <translation>The programme cannot be changed while an examination is running. Reset first, then choose again.</translation>
    </message>
    <message>
        <source>点の色を形でも示す（黄に輪、赤に×）</source>
        <translation>Show the dots&apos; colours by shape too (ring on yellow, × on red)</translation>
    </message>
    <message>
        <source>合図を画面の縁の色帯でも示す</source>
        <translation>Show the cues by a coloured band at the screen&apos;s edge too</translation>
    </message>
    <message>
        <source>開始：試験を始めます。試験中はリセットになり、試験をやめて最初の状態に戻します。</source>
        <translation>Start: starts the examination. During the examination this button becomes Reset, which stops the examination and goes back to the initial state.</translation>
    </message>
    <message>
        <source>中断：試験を止めます。中断中は再開になり、続きから進めます。</source>
        <translation>Hold: holds the examination. While it is held, this button becomes Go, which continues from where it stopped.</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ヘルプを開きます（F1）。</source>
        <translation>Opens the help (F1).</translation>
    </message>
    <message>
        <source>設定を保存してプログラムを終わります。</source>
        <translation>Saves the settings and exits the program.</translation>
    </message>
    <message>
        <source>１問あたりの時間（秒）</source>
        <translation>Time per question (seconds)</translation>
    </message>
    <message>
        <source>移動時間（秒）</source>
        <translation>Move time (seconds)</translation>
    </message>
    <message>
        <source>合計時間（秒）</source>
        <translation>Total time (seconds)</translation>
    </message>
    <message>
        <source>数を入力して Enter で確定します。範囲外の値は受け付けず、元の値のままです。</source>
        <translation>Type a number and press Enter to confirm it. A value out of range is not accepted, and the previous value stays.</translation>
    </message>
    <message>
        <source>点と表示の大きさの係数を選びます。</source>
        <translation>Chooses the size factor of the dots and the display.</translation>
    </message>
    <message>
        <source>問題番号</source>
        <translation>Question number</translation>
    </message>
    <message>
        <source>いま表示している問題の番号です。</source>
        <translation>The number of the question now shown.</translation>
    </message>
    <message>
        <source>お知らせの行</source>
        <translation>Notice line</translation>
    </message>
    <message>
        <source>クリックすると、待っているお知らせを表示します。</source>
        <translation>Click to show the waiting notices.</translation>
    </message>
    <message>
        <source>試験の時間を点で示すタイマーです。右クリックでメニューを開きます。</source>
        <translation>A timer that shows the examination&apos;s time as dots. Right-click to open the menu.</translation>
    </message>
    <message>
        <source>%1 のダイアログです。</source>
        <translation>%1 dialog.</translation>
    </message>
    <message>
        <source>終了</source>
        <comment>a run that has ended</comment>
        <translation>Finished</translation>
    </message>
    <message>
        <source>終了</source>
        <comment>the last row of a timetable</comment>
        <translation>End</translation>
    </message>
    <message>
        <source>選んだ部屋のスピーカー補正…</source>
        <translation>Room&apos;s speaker correction…</translation>
    </message>
    <message>
        <source>部屋のスピーカーの遅れの補正</source>
        <translation>Speaker delay correction of a room</translation>
    </message>
    <message>
        <source>部屋 %1 のスピーカーの遅れの補正をミリ秒で入力してください（%4 ～ %5、遅れるときはプラス）。
いま：報告された遅れ %2 ms、補正 %3 ms。部屋はすぐにこの補正で鳴らし、オプションファイルに残します。</source>
        <translation>Enter the correction of room %1&apos;s speaker delay in milliseconds (%4 to %5, plus when the speaker is late).
Now: reported delay %2 ms, correction %3 ms. The room plays with it at once and keeps it in its options file.</translation>
    </message>
    <message>
        <source>補正 %1 ms は送りません。%2 ～ %3 ms の範囲で入力してください。</source>
        <translation>A correction of %1 ms is not sent. Enter one from %2 to %3 ms.</translation>
    </message>
    <message>
        <source>この PC は操作卓として試験に加わっていないため、部屋の補正を変えられませんでした。部屋の PC の F12 で変えてください。</source>
        <translation>This PC has not joined an examination as the controller, so it could not change a room&apos;s correction. Change it with F12 on the room&apos;s PC.</translation>
    </message>
    <message>
        <source>部屋 %1 はいまこの操作卓に従っていないため、補正を送りませんでした。部屋の接続を確かめてから、もう一度押してください。</source>
        <translation>Room %1 does not follow this controller now, so the correction was not sent. Check the room&apos;s connection, then press again.</translation>
    </message>
    <message>
        <source>部屋 %1 の Tavrin は古い版のため、操作卓から補正を変えられません。部屋の PC の F12 で変えてください。</source>
        <translation>Room %1 runs an older Tavrin, whose correction cannot be changed from the controller. Change it with F12 on the room&apos;s PC.</translation>
    </message>
    <message>
        <source>部屋 %1 は試験の進行中のため、補正を送りませんでした。試験の前か後に変えるか、部屋の PC の F12 で変えてください。</source>
        <translation>Room %1 is in the middle of an examination, so the correction was not sent. Change it before or after the examination, or with F12 on the room&apos;s PC.</translation>
    </message>
    <message>
        <source>一つの部屋に送れるのは 2 秒に一度までです。少し待ってから、もう一度押してください。</source>
        <translation>One room can be sent one correction every 2 seconds. Wait a moment, then press again.</translation>
    </message>
    <message>
        <source>部屋 %1 にスピーカーの補正（%2 ms → %3 ms）を送りました。</source>
        <translation>Sent the speaker correction to room %1 (%2 ms → %3 ms).</translation>
    </message>
    <message>
        <source>操作卓がスピーカーの遅れの補正を %1 ms から %2 ms に変えました。</source>
        <translation>The controller changed the speaker delay correction from %1 ms to %2 ms.</translation>
    </message>
    <message>
        <source>操作卓からのスピーカーの補正（%1 ms）を断りました（試験の進行中です）。補正は %2 ms のままです。</source>
        <translation>Refused the controller&apos;s speaker correction (%1 ms): an examination is under way. The correction stays %2 ms.</translation>
    </message>
    <message>
        <source>操作卓からのスピーカーの補正を使えませんでした。この PC の F12 で変えてください。</source>
        <translation>Could not use the controller&apos;s speaker correction. Change it with F12 on this PC.</translation>
    </message>
    <message>
        <source>操作卓がスピーカー補正を %1→%2 ms に変更（%3）</source>
        <translation>Controller set speaker correction %1→%2 ms (%3)</translation>
    </message>
    <message>
        <source>第 %1 部 %2</source>
        <translation>part %1: %2</translation>
    </message>
    <message>
        <source>%1（失う問題 %2）</source>
        <translation>%1 (loses %2)</translation>
    </message>
    <message>
        <source>この部屋は止めたまま起動しました（%1 の操作、%2 から）。戻すまで止まっています。戻すには Ctrl+F8 を押すか、操作卓で戻してください。</source>
        <translation>This room started again still suspended (by %1, since %2). It stays suspended until it is brought back: press Ctrl+F8, or bring it back from the controller.</translation>
    </message>
    <message>
        <source>部屋 %1 は止めたまま戻ってきました。止まっている間に送った「戻す」をもう一度送りました。</source>
        <translation>Room %1 came back still suspended. The &quot;bring back&quot; sent while it was away was sent again.</translation>
    </message>
    <message>
        <source>合計の時間です。プログラムを選んでいる間は、プログラム全体の秒数です。Enter で３つの値を確定します。</source>
        <translation>The total time; while a programme is chosen, the whole programme in seconds. Press Enter to confirm the three values.</translation>
    </message>
</context>
</TS>
