#pragma once
// The program's colours, named by what they mark on a screen. Screens take their colours from here
// (style sheets: QStringLiteral("QLabel { color: %1; }").arg(colours::kHeading)); none types its own.
// The pictures of Glyphs.cpp keep their own palette.
#include <QString>

namespace kv::kit::colours {

// ---- bands and headings -------------------------------------------------------------------------------
/// The title band's background (and whatever stands out the same way: the chosen day of the calendar).
inline const QString kBand = QStringLiteral("#2b4a6f");
/// Text on the title band; the plain background of grids and calendar days.
inline const QString kBandText = QStringLiteral("#ffffff");
inline const QString kPlainBackground = QStringLiteral("#ffffff");
/// Heading text: panel headings, group titles, captions of totals and periods.
inline const QString kHeading = QStringLiteral("#1f3b5c");
/// The band of a group caption over a run of columns (white text on it).
inline const QString kCaptionBand = QStringLiteral("#46617f");
/// Secondary text: captions of values, hints.
inline const QString kSecondaryText = QStringLiteral("#4a5a6a");

// ---- panels and fields ----------------------------------------------------------------------------------
/// The background of a panel of values and of a shown (read-only) amount.
inline const QString kPanelBackground = QStringLiteral("#eef2f7");
/// The border of a panel or a group box.
inline const QString kPanelBorder = QStringLiteral("#b8c4d3");
/// The background of a total.
inline const QString kTotalBackground = QStringLiteral("#f4f7fb");
/// The pick list shown under a field: background and border.
inline const QString kPickBackground = QStringLiteral("#f7f9fc");
inline const QString kPickBorder = QStringLiteral("#6d87a6");

// ---- alerts -------------------------------------------------------------------------------------------
/// An alert: the "ATTENTION" band and caption of a destructive command.
inline const QString kAlert = QStringLiteral("#9b1c1c");
/// The frame of a warning: its border and background.
inline const QString kAlertBorder = QStringLiteral("#c0392b");
inline const QString kAlertBackground = QStringLiteral("#fff4e5");
/// A negative amount (an account's balance in debit).
inline const QString kNegative = QStringLiteral("#d00000");
/// A date gone by (an overdue line of the due dates) and a loss (a negative margin, its bar in a chart).
inline const QString kOverdue = QStringLiteral("#c00000");
inline const QString kLoss = kOverdue;
/// The main window's notice (due dates): text, background and border.
inline const QString kNoticeText = QStringLiteral("#8b1a1a");
inline const QString kNoticeBackground = QStringLiteral("#fdecea");
inline const QString kNoticeBorder = QStringLiteral("#e3a6a0");

// ---- the calendar ---------------------------------------------------------------------------------------
/// A day: border, text, and background under the mouse; the weekend's column headings.
inline const QString kDayBorder = QStringLiteral("#c9d3df");
inline const QString kDayText = QStringLiteral("#1f2a36");
inline const QString kDayHover = QStringLiteral("#e6eef8");
inline const QString kWeekend = QStringLiteral("#8a2b2b");

// ---- charts ----------------------------------------------------------------------------------------------
/// A profit's bar; the series of a chart in their order (the six expense headings).
inline const QString kProfit = QStringLiteral("#2f6fb3");
inline const QString kSeries[] = {kProfit,
                                  QStringLiteral("#e09b1a"),
                                  QStringLiteral("#5a9e4b"),
                                  QStringLiteral("#8e5ca8"),
                                  QStringLiteral("#555555"),
                                  QStringLiteral("#4fb3bf")};

// ---- the main window ------------------------------------------------------------------------------------
/// The main window's title, headings and shortcut captions, and a shortcut that cannot be used.
inline const QString kMainText = QStringLiteral("#1d3557");
inline const QString kDisabledText = QStringLiteral("#a7b0ba");

// ---- the about, presentation and picture screens --------------------------------------------------------
inline const QString kAboutHeading = QStringLiteral("#28415c");
inline const QString kAboutText = QStringLiteral("#1f2d3a");
inline const QString kAboutLabel = QStringLiteral("#3e5368");
inline const QString kAboutMuted = QStringLiteral("#6b7b8c");
/// A link (an e-mail address, the guide's line).
inline const QString kLink = QStringLiteral("#2f5c8c");
/// Rules and frame borders of these screens, the background of their panel and of the picture preview.
inline const QString kAboutRule = QStringLiteral("#d3dde7");
inline const QString kAboutPanel = QStringLiteral("#eef3f8");
inline const QString kPreviewBackground = QStringLiteral("#fbfcfd");

} // namespace kv::kit::colours
