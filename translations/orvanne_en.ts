<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Exception</name>
    <message>
        <source>%s に書き込めません</source>
        <translation>Cannot write to %s</translation>
    </message>
    <message>
        <source>ビットマップイメージが不正です</source>
        <translation>Invalid bitmap image</translation>
    </message>
    <message>
        <source>JPEG エラー #%d</source>
        <translation>JPEG error #%d</translation>
    </message>
    <message>
        <source>%s の読み込みはサポートされていません</source>
        <translation>Reading %s is not supported</translation>
    </message>
    <message>
        <source>拡張子 .%s の画像形式は処理できません</source>
        <translation>Cannot handle the picture format of extension .%s</translation>
    </message>
    <message>
        <source>画像が大きすぎます</source>
        <translation>The picture is too large</translation>
    </message>
    <message>
        <source>ファイル %s は開けません</source>
        <translation>Cannot open file %s</translation>
    </message>
    <message>
        <source>システムエラー。 コード: %s</source>
        <translation>System error. Code: %s</translation>
    </message>
    <message>
        <source>ストリームからの読み込みエラー</source>
        <translation>Stream read error</translation>
    </message>
    <message>
        <source>ストリームへの書き込みエラー</source>
        <translation>Stream write error</translation>
    </message>
    <message>
        <source>メモリが不足しています</source>
        <translation>Out of memory</translation>
    </message>
</context>
<context>
    <name>Orvanne</name>
    <message>
        <source>ウィンドハンドルが指定されていません</source>
        <translation>No window handle was given</translation>
    </message>
    <message>
        <source>スクリーンセーバー</source>
        <translation>Screen saver</translation>
    </message>
    <message>
        <source>&quot;%1&quot; はウィンドウ ID ではありません</source>
        <translation>&quot;%1&quot; is not a window id</translation>
    </message>
    <message>
        <source>ホストされたモードには X11 のディスプレイが必要です</source>
        <translation>hosted mode needs an X11 display</translation>
    </message>
    <message>
        <source>ウィンドウ %1 がありません</source>
        <translation>no window %1</translation>
    </message>
    <message>
        <source>ウィンドウ %1 に描画できません</source>
        <translation>cannot draw into window %1</translation>
    </message>
    <message>
        <source>不明なエラー</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>HOME が設定されていません</source>
        <translation>HOME is not set</translation>
    </message>
    <message>
        <source>%1 がありません。xscreensaver はインストールされていますか？</source>
        <translation>%1 does not exist. Is xscreensaver installed?</translation>
    </message>
    <message>
        <source>%1 にはすでに Orvanne があります</source>
        <translation>%1 already has Orvanne</translation>
    </message>
    <message>
        <source>%1 に programs の一覧がありません</source>
        <translation>%1 has no programs list</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>Cannot write to %1</translation>
    </message>
    <message>
        <source>%1 の programs に Orvanne を加えました</source>
        <translation>Added Orvanne to the programs list in %1</translation>
    </message>
</context>
<context>
    <name>orv::TfrmConfig</name>
    <message>
        <source>指定されたフォルダは存在しません。</source>
        <translation>The folder does not exist.</translation>
    </message>
    <message>
        <source>画像が保存されているフォルダを選択してください。</source>
        <translation>Choose the folder that holds the pictures.</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>説明書 (README.md)</source>
        <translation>Manual (README.md)</translation>
    </message>
    <message>
        <source>アプリ名</source>
        <translation>Application name</translation>
    </message>
    <message>
        <source>クリックだ!</source>
        <translation>Click me!</translation>
    </message>
    <message>
        <source>PNG デコーダ: Orvanne 独自の PNG コーデック (zlib を使用)</source>
        <translation>PNG decoder: Orvanne&apos;s own PNG codec (using zlib)</translation>
    </message>
    <message>
        <source>GIF デコーダ: Orvanne 独自の GIF コーデック (LZW も自前)</source>
        <translation>GIF decoder: Orvanne&apos;s own GIF codec (LZW included)</translation>
    </message>
    <message>
        <source>画像が入っているフォルダ</source>
        <translation>Folder with the pictures</translation>
    </message>
    <message>
        <source>フォルダを選択</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>フォルダを開く</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>画像を切り替える間隔</source>
        <translation>Change every</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>sec.</translation>
    </message>
    <message>
        <source>背景を塗りつぶす</source>
        <translation>Fill background</translation>
    </message>
    <message>
        <source>背景色の変更</source>
        <translation>Colour...</translation>
    </message>
    <message>
        <source>画面より小さな画像は拡大する</source>
        <translation>Enlarge small pictures</translation>
    </message>
    <message>
        <source>ファイル名を表示する</source>
        <translation>Show file name</translation>
    </message>
    <message>
        <source>フルパス名を表示する</source>
        <translation>Show full path</translation>
    </message>
    <message>
        <source>拡張子を表示する</source>
        <translation>Show extension</translation>
    </message>
    <message>
        <source>描画方式</source>
        <translation>Drawing method</translation>
    </message>
    <message>
        <source>バッファ未使用</source>
        <translation>No buffer</translation>
    </message>
    <message>
        <source>バッファ使用（表示がちらつく場合に選択してください）</source>
        <translation>Buffered (choose this if the display flickers)</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>写真の向き (EXIF) に合わせて回転する</source>
        <translation>Rotate photos to their orientation (EXIF)</translation>
    </message>
    <message>
        <source>サブフォルダも含める</source>
        <translation>Include subfolders</translation>
    </message>
    <message>
        <source>切り替えのフェード時間</source>
        <translation>Fade between pictures</translation>
    </message>
    <message>
        <source> 秒</source>
        <translation> s</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>Off</translation>
    </message>
</context>
<context>
    <name>orv::TfrmMain</name>
    <message>
        <source>スクリーンセーバー</source>
        <translation>Screen saver</translation>
    </message>
    <message>
        <source>【スクリーンセーバーエラー】</source>
        <translation>[Screen saver error]</translation>
    </message>
    <message>
        <source>指定されたフォルダに有効な画像ファイルが見つかりません。</source>
        <translation>No valid picture files were found in the folder.</translation>
    </message>
    <message>
        <source>(指定フォルダ：%1)</source>
        <translation>(Folder: %1)</translation>
    </message>
</context>
<context>
    <name>orv::TfrmSplash</name>
    <message>
        <source>Reading</source>
        <translation>Reading</translation>
    </message>
</context>
</TS>
