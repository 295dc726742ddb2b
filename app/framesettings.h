#pragma once

#include "ui/windowplacement.h"

#include <QString>
#include <QStringList>

class PrivateProfile;

/// Bits of the four pane views in `ViewState`.
namespace ViewBit {
constexpr int Blau = 2;
constexpr int White = 4;
constexpr int Black = 8;
constexpr int Green = 16;
constexpr int All = Blau | White | Black | Green;
}  // namespace ViewBit

/// @short Every frame value kept in the profile's sections "MainWindow",
/// "Project", "User" and "RetrievedSegments".
struct FrameSettings {
    static constexpr int kMaxRecent = 10;
    static constexpr int kDefaultSplitter = 350;

    WindowPlacement placement;
    int buttonState = 1;          ///< 1 normal, 0 one pane maximised
    int oldViewState = ViewBit::All;
    int viewState = ViewBit::All;
    int splitter1 = kDefaultSplitter;   ///< width of the left column
    int splitter2 = kDefaultSplitter;   ///< height of the right column's upper row
    int splitter3 = kDefaultSplitter;   ///< height of the left column's upper row
    QStringList recentProjects;   ///< newest first, existing files only
    QString retrievalOptions;     ///< the document's retrieval settings, long form
    QString defaultUser;
    QStringList users;
    bool showMemos = true;

    /// Reads every key with its default, and makes the pane values usable:
    /// masks keep only the four view bits (none becomes all), the button
    /// state is 0 or 1, splitter sizes stay within 20 to 10000 pixels.
    static FrameSettings Load(const PrivateProfile& profile);
    /// Writes every key; recent-project keys beyond the list are emptied, so
    /// removed entries do not come back. False when the profile cannot be
    /// written.
    bool Save(PrivateProfile& profile) const;
    /// Writes the recent-projects list only, as soon as it changes.
    bool SaveRecent(PrivateProfile& profile) const;
};

/// "Users": names each ended by "|"; text after the last "|" is no name.
QStringList ParseUserList(const QString& text);
QString FormatUserList(const QStringList& users);

/// The name of the user running the program.
QString SystemUserName();
