#pragma once
// The user-interface texts by language: the tooltips of eleven buttons and the three column
// titles of the recording list. Built before the dialog exists and never changed.

#include "ui/ControlIds.h"

#include <array>

/// UI languages.
inline constexpr int kLanguageEnglish = 0;
inline constexpr int kLanguageSimplifiedChinese = 1;
inline constexpr int kLanguageTraditionalChinese = 2;
inline constexpr int kLanguageCount = 3;

/// Entries 0 to 10 are button tooltips, 11 to 13 the list column titles.
inline constexpr int kUiStringCount = 14;
inline constexpr int kTooltipCount = 11;
inline constexpr int kColumnTitleFirst = 11;

/// The button each tooltip entry belongs to, in the order of the table.
inline constexpr std::array<int, kTooltipCount> kTooltipButtons{
    kScreenshotButtonId, kFolderButtonId,      kPrevPageButtonId, kPrevButtonId,     kRewindButtonId, kPlayButtonId,
    kPauseButtonId,      kFastForwardButtonId, kNextButtonId,     kNextPageButtonId, kDeleteButtonId,
};

/// uiStrings[language][entry], UTF-8.
inline constexpr std::array<std::array<const char*, kUiStringCount>, kLanguageCount> uiStrings{{
    {"Screenshot", "Load File", "File List Prev Page", "Prev", "Rewind", "Play", "Pause", "Fast Forward", "Next",
     "File List Next Page", "Delete", "File Name", "Date", "Time"},
    {"拍照", "打开文件夹", "上一页列表", "上一集", "倒放", "播放", "暂停", "快进", "下一集", "下一页列表", "删除文件",
     "文件名称", "日期", "时间"},
    {"拍照", "打開文件夾", "上一頁列表", "上一集", "倒放", "播放", "暫停", "快進", "下一集", "下一頁列表", "刪除文檔",
     "文檔名稱", "日期", "時間"},
}};

/// The notice over the video area of a recording that cannot be played, by language: the
/// headline; the reason for a file that ends before its index; for a file that cannot be found
/// or opened; and when the engine gave no reason.
inline constexpr int kUnplayableHeadline = 0;
inline constexpr int kUnplayableCutOff = 1;
inline constexpr int kUnplayableNoFile = 2;
inline constexpr int kUnplayableNoReason = 3;
inline constexpr std::array<std::array<const char*, 4>, kLanguageCount> unplayableStrings{{
    {"This recording cannot be played.",
     "The file ends before its index, as happens when the camera loses power while recording.",
     "The file cannot be found or opened.", "The player cannot read this file."},
    {"无法播放此录像。", "文件在索引之前就结束了，这通常是摄像机在录像时断电造成的。", "找不到或无法打开该文件。",
     "播放器无法读取此文件。"},
    {"無法播放此錄影。", "檔案在索引之前就結束了，這通常是攝影機在錄影時斷電造成的。", "找不到或無法開啟該檔案。",
     "播放器無法讀取此檔案。"},
}};
