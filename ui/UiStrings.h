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
    kScreenshotButtonId, kFolderButtonId, kPrevPageButtonId, kPrevButtonId,
    kRewindButtonId,     kPlayButtonId,   kPauseButtonId,    kFastForwardButtonId,
    kNextButtonId,       kNextPageButtonId, kDeleteButtonId,
};

/// uiStrings[language][entry], UTF-8.
inline constexpr std::array<std::array<const char*, kUiStringCount>, kLanguageCount> uiStrings{{
    {"Screenshot", "Load File", "File List Prev Page", "Prev", "Rewind", "Play", "Pause", "Fast Forward",
     "Next", "File List Next Page", "Delete", "File Name", "Date", "Time"},
    {"拍照", "打开文件夹", "上一页列表", "上一集", "倒放", "播放", "暂停", "快进", "下一集", "下一页列表",
     "删除文件", "文件名称", "日期", "时间"},
    {"拍照", "打開文件夾", "上一頁列表", "上一集", "倒放", "播放", "暫停", "快進", "下一集", "下一頁列表",
     "刪除文檔", "文檔名稱", "日期", "時間"},
}};
