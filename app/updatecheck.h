#pragma once

// The check for a newer release: the first line of a small text on the
// release server carries the newest release code. Nothing is downloaded or
// run; a newer release is only shown and its page opened.

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>

class QNetworkReply;

/// The release code as a number YYMMDD from its text DDMMYY; -1 when the
/// text is not six digits.
int ReleaseNumber(const QString& ddmmyy);

/// The installed release code: characters 5 to 10 of the build text when
/// they are six digits, else the code this build was made with.
QString InstalledReleaseCode(const QString& buildString);

/// What the release server said.
struct ReleaseCheckResult {
    enum Outcome { Newer, NotNewer, Failed };
    Outcome outcome = Failed;
    QString offered;   ///< the offered code (characters 1 to 6 of the first line)
};

/// @short One request to the release server, answered asynchronously.
class CReleaseCheck : public QObject {
    Q_OBJECT
public:
    /// Starts at once; Finished comes once, at the latest after timeoutMs.
    CReleaseCheck(const QUrl& address, QString installedCode, int timeoutMs, QObject* parent = nullptr);
    ~CReleaseCheck() override;
    bool IsFinished() const { return m_finished; }
    ReleaseCheckResult Result() const { return m_result; }

signals:
    void Finished();

private:
    void OnReply();

    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_timer;
    QString m_installed;
    ReleaseCheckResult m_result;
    bool m_finished = false;
};

/// Reads the first line at the address (no cache; waits at most timeoutMs)
/// and compares its code with the installed one. "188811" never offers a
/// release. Runs a local event loop; GUI thread only.
ReleaseCheckResult CheckReleaseServer(const QUrl& address, const QString& installedCode, int timeoutMs = 15000);

/// The two addresses of the update check; tests point them elsewhere.
struct UpdateAddresses {
    QUrl releaseCheck;   ///< the text whose first line carries the newest code
    QUrl releasePage;    ///< opened when the user wants the newer release
};
UpdateAddresses& GetUpdateAddresses();

/// Opens the release page; the default hands it to the desktop.
using ReleasePageOpener = std::function<bool(const QUrl&)>;
void SetReleasePageOpener(ReleasePageOpener opener);
bool OpenReleasePage(const QUrl& page);
