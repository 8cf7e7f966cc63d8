// Every text the user sees, in UTF-8. The Windows program converts them to
// UTF-16 for display, so they read right on any system locale.
#pragma once

namespace text {
inline constexpr char kAppTitle[] = "ravo+ for Q58";

inline constexpr char kStatusReading[] = "モバイル デバイスからアプリケーションのデータを取得しています...";
inline constexpr char kStatusCardCopy[] = "インストーラファイルを転送しています...";
inline constexpr char kStatusInstall[] = "アプリケーションをインストールしています...";
inline constexpr char kTitleReading[] = "デバイスのデータを取得中";
inline constexpr char kTitleTransfer[] = "デバイスにデータを転送中";
inline constexpr char kTitleProgressTemplate[] = "デバイスにデータを転送中 (%d%%)";

inline constexpr char kDoneText[] =
    "インストールの完了に必要な追加手順がないか、モバイル デバイスの画面を確認してください。";
inline constexpr char kDoneCaption[] = "データ転送が完了しました";

inline constexpr char kCaptionConnect[] = "デバイス接続";
inline constexpr char kCaptionVersion[] = "バージョンチェック";
inline constexpr char kCaptionTransfer[] = "データ転送";

inline constexpr char kInitFailed[] = "モバイルデバイスの初期化に失敗しました。";
inline constexpr char kConnectFailed[] = "モバイルデバイスの接続に失敗しました。";
inline constexpr char kNotConnected[] = "モバイルデバイスと接続されていません。";
inline constexpr char kNotQ58[] = "接続しているモバイルデバイスがQ58ではありません。";
inline constexpr char kNotInstalled[] = "ravoがインストールされていません。";
inline constexpr char kVersionTooOldTemplate[] =
    "インストールされているバージョンは[%s]です。\n\nリビジョンアップを行うには、[%s]以降が必要です。";
inline constexpr char kVersionNewerTemplate[] =
    "インストールされているバージョンは[%s]です。\n\nリビジョンアップを行いますか？";
inline constexpr char kInstallCreateFailed[] = "データ転送に失敗しました。";
inline constexpr char kWriteFailed[] = "データ転送中にエラーが発生しました。";
inline constexpr char kCardCreateFailed[] = "インストーラの転送に失敗しました。\nメモリカードを確認下さい。";
// Code 9: both copies are made, but the handheld did not start the installer.
inline constexpr char kInstallerStartFailed[] =
    "インストーラの起動に失敗しました。\nモバイルデバイスの接続を確認して、もう一度実行して下さい。";

// /check: the installed version read and compared, nothing changed. The
// version is the first %s; the package's version the second.
inline constexpr char kCheckLatestTemplate[] = "インストールされているバージョンは[%s]です。\n\n最新のバージョンです。";
inline constexpr char kCheckOutdatedTemplate[] =
    "インストールされているバージョンは[%s]です。\n\nリビジョンアップが必要です。";
inline constexpr char kCheckNewerTemplate[] =
    "インストールされているバージョンは[%s]です。\n\n[%s]より新しいバージョンです。";

// A program built with the demo package meets a library that is not the
// simulated handheld.
inline constexpr char kDemoRefused[] = "このプログラムはデモ版です。実際のQ58には使用できません。";
inline constexpr char kDemoAppTitle[] = "ravo+ for Q58（デモ版）";

// The box of a command line the program refuses (exit code 87).
inline constexpr char kUsageText[] =
    "コマンドラインの指定が正しくありません。\n\n"
    "使い方: [/quiet | /passive] [/nocard] [/newer] [/log ファイル名]\n"
    "　　　　/check [/quiet] [/log ファイル名]\n\n"
    "/quiet　画面を一切表示せずに実行します。\n"
    "/passive　進捗画面だけを表示します（確認メッセージとエラーメッセージは表示しません）。\n"
    "/nocard　メモリカードにはインストーラを転送しません。\n"
    "/newer　インストールされているバージョンの方が新しくても、リビジョンアップを行います。\n"
    "/log ファイル名　ログをそのファイルにも書き込みます。\n"
    "/check　インストールされているバージョンを確認します。モバイルデバイスは変更しません。\n\n"
    "スイッチは「-」で始めても、大文字で書いてもかまいません。\n\n"
    "終了コード:\n"
    "0　完了（/check では最新のバージョン）\n"
    "1～13　メッセージの番号（/check の 10 はリビジョンアップが必要）\n"
    "87　コマンドラインの誤り\n"
    "1223　キャンセル\n"
    "1359　内部エラー";
}  // namespace text
