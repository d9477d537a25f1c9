#pragma once
// Numbers the player window is built from: the ID of every control (a button's command is its
// own ID), the system-menu command of the about box, and the bitmap resources the window's
// skin is drawn from. Header-only, no dependencies.

#include <array>

// --- Controls -------------------------------------------------------------------------------

inline constexpr int kOpenButtonId = 1000;  ///< hidden at start and never shown
inline constexpr int kPlayButtonId = 1001;
inline constexpr int kPauseButtonId = 1002;        ///< shares its place with the play button
inline constexpr int kStopButtonId = 1003;         ///< hidden at start and never shown again
inline constexpr int kRewindButtonId = 1004;       ///< hidden at start and never shown
inline constexpr int kFastForwardButtonId = 1005;  ///< hidden at start and never shown
inline constexpr int kFolderButtonId = 1007;
inline constexpr int kPrevPageButtonId = 1010;
inline constexpr int kVideoViewId = 1011;  ///< the video view takes this control's place
inline constexpr int kNextPageButtonId = 1012;
inline constexpr int kScreenshotButtonId = 1013;
inline constexpr int kDeleteButtonId = 1015;
inline constexpr int kLongitudeTextId = 1016;
inline constexpr int kLatitudeTextId = 1017;
inline constexpr int kSpeedMeterId = 1018;
inline constexpr int kCoordCaptionId = 1019;
inline constexpr int kTitleBarId = 1020;
inline constexpr int kTimeTextId = 1021;
inline constexpr int kNextButtonId = 1022;
inline constexpr int kPrevButtonId = 1023;
inline constexpr int kMapViewId = 1028;
inline constexpr int kCloseButtonId = 1032;
inline constexpr int kVolumeIconId = 1033;
inline constexpr int kLeftListId = 1034;   ///< rows 0 to 5 of a page
inline constexpr int kRightListId = 1035;  ///< rows 6 to 11 of a page
inline constexpr int kGSensorMinusButtonId = 1036;
inline constexpr int kGSensorPlusButtonId = 1037;
inline constexpr int kGSensorGraphId = 1038;
inline constexpr int kFileNameTextId = 1039;
inline constexpr int kProgressSliderId = 1041;
inline constexpr int kVolumeSliderId = 1042;
inline constexpr int kMaximizeButtonId = 1043;
inline constexpr int kMinimizeButtonId = 1044;
inline constexpr int kUnitComboId = 1048;

// --- Commands -------------------------------------------------------------------------------

/// The about item of the system menu. Any system command whose id AND kSystemCommandMask equals
/// it opens the about box (so 16 to 31 all do).
inline constexpr int kAboutCommandId = 16;
inline constexpr int kSystemCommandMask = 0xFFF0;
constexpr bool IsAboutCommand(int id) { return (id & kSystemCommandMask) == kAboutCommandId; }

// --- Resources ------------------------------------------------------------------------------

inline constexpr int kAboutDialogTemplate = 100;
inline constexpr int kAboutMenuString = 101;
inline constexpr int kMainDialogTemplate = 102;
inline constexpr int kAppIcon = 128;

// Pictures of statics, the video view and the sliders.
inline constexpr int kBmpStopPicture = 131;  ///< video view without a movie
inline constexpr int kBmpSpeedDial = 132;
inline constexpr int kBmpTitleBar = 140;      ///< stretched to client width x 45
inline constexpr int kBmpVolumeIcon = 184;    ///< 25 x 25
inline constexpr int kBmpGSensorGraph = 186;  ///< 205 x 150 at start
inline constexpr int kBmpProgressChannel = 204;
inline constexpr int kBmpProgressActiveChannel = 205;
inline constexpr int kBmpVolumeChannel = 209;
inline constexpr int kBmpVolumeActiveChannel = 210;
inline constexpr int kBmpCoordCaptionTraditional = 231;  ///< 430 x 38
inline constexpr int kBmpCoordCaptionSimplified = 232;
inline constexpr int kBmpCoordCaptionEnglish = 234;

/// The coordinate caption for a UI language (0 English, 2 Traditional Chinese, anything else
/// Simplified Chinese).
constexpr int CoordCaptionBitmap(int language)
{
    return language == 0   ? kBmpCoordCaptionEnglish
           : language == 2 ? kBmpCoordCaptionTraditional
                           : kBmpCoordCaptionSimplified;
}

// Button pictures: normal, selected, and the focus picture where there is one.
inline constexpr int kBmpOpen = 136;  ///< normal and selected
inline constexpr int kBmpOpenFocus = 157;
inline constexpr int kBmpPlay = 142;
inline constexpr int kBmpPlaySelected = 165;  ///< also its focus picture
inline constexpr int kBmpPause = 147;
inline constexpr int kBmpPauseSelected = 164;
inline constexpr int kBmpStop = 149;
inline constexpr int kBmpStopSelected = 168;
inline constexpr int kBmpRewind = 148;
inline constexpr int kBmpRewindSelected = 166;
inline constexpr int kBmpFastForward = 146;
inline constexpr int kBmpFastForwardSelected = 162;
inline constexpr int kBmpFolder = 151;
inline constexpr int kBmpFolderSelected = 163;
inline constexpr int kBmpPrevPage = 192;
inline constexpr int kBmpPrevPageSelected = 193;
inline constexpr int kBmpNextPage = 194;
inline constexpr int kBmpNextPageSelected = 195;
inline constexpr int kBmpScreenshot = 154;
inline constexpr int kBmpScreenshotSelected = 158;
inline constexpr int kBmpDelete = 150;
inline constexpr int kBmpDeleteSelected = 160;
inline constexpr int kBmpNext = 198;
inline constexpr int kBmpNextSelected = 199;
inline constexpr int kBmpPrev = 200;
inline constexpr int kBmpPrevSelected = 203;
inline constexpr int kBmpClose = 155;
inline constexpr int kBmpCloseSelected = 159;
inline constexpr int kBmpGSensorMinus = 188;
inline constexpr int kBmpGSensorMinusSelected = 189;
inline constexpr int kBmpGSensorPlus = 190;
inline constexpr int kBmpGSensorPlusSelected = 191;
inline constexpr int kBmpMaximize = 211;  ///< while the window is not maximised
inline constexpr int kBmpMaximizeSelected = 212;
inline constexpr int kBmpRestore = 213;  ///< while the window is maximised
inline constexpr int kBmpRestoreSelected = 214;
inline constexpr int kBmpMinimize = 215;
inline constexpr int kBmpMinimizeSelected = 216;

/// How one skinned button is set up: its pictures (focus 0 when it has none) and its hover
/// frame, frameWidth x frameHeight.
struct ButtonSkin {
    int id;
    int normal;
    int selected;
    int focus;
    int frameWidth;
    int frameHeight;
    bool hiddenAtStart;
};

/// The eighteen skinned buttons of the window.
inline constexpr std::array<ButtonSkin, 18> kButtonSkins{{
    {kOpenButtonId, kBmpOpen, kBmpOpen, kBmpOpenFocus, 32, 32, true},
    {kPlayButtonId, kBmpPlay, kBmpPlaySelected, kBmpPlaySelected, 40, 40, false},
    {kPauseButtonId, kBmpPause, kBmpPauseSelected, 0, 40, 40, true},
    {kStopButtonId, kBmpStop, kBmpStopSelected, 0, 32, 32, true},
    {kRewindButtonId, kBmpRewind, kBmpRewindSelected, 0, 32, 32, true},
    {kFastForwardButtonId, kBmpFastForward, kBmpFastForwardSelected, 0, 32, 32, true},
    {kFolderButtonId, kBmpFolder, kBmpFolderSelected, 0, 32, 32, false},
    {kPrevPageButtonId, kBmpPrevPage, kBmpPrevPageSelected, 0, 32, 32, false},
    {kNextPageButtonId, kBmpNextPage, kBmpNextPageSelected, 0, 32, 32, false},
    {kScreenshotButtonId, kBmpScreenshot, kBmpScreenshotSelected, 0, 32, 32, false},
    {kDeleteButtonId, kBmpDelete, kBmpDeleteSelected, 0, 32, 32, false},
    {kNextButtonId, kBmpNext, kBmpNextSelected, 0, 32, 32, false},
    {kPrevButtonId, kBmpPrev, kBmpPrevSelected, 0, 32, 32, false},
    {kCloseButtonId, kBmpClose, kBmpCloseSelected, 0, 20, 20, false},
    {kGSensorMinusButtonId, kBmpGSensorMinus, kBmpGSensorMinusSelected, 0, 20, 18, false},
    {kGSensorPlusButtonId, kBmpGSensorPlus, kBmpGSensorPlusSelected, 0, 20, 18, false},
    {kMaximizeButtonId, kBmpMaximize, kBmpMaximizeSelected, 0, 20, 20, false},
    {kMinimizeButtonId, kBmpMinimize, kBmpMinimizeSelected, 0, 20, 20, false},
}};

/// The open button's place; the layout never moves it (nor stop, rewind and fast forward).
inline constexpr int kOpenButtonX = 10;
inline constexpr int kOpenButtonY = 486;
