#include "app/updatecheck.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

// The code of this build, DDMMYY.
const char kBuildReleaseCode[] = "111226";
// A server answering this code offers nothing, whatever is installed.
const char kNoReleaseCode[] = "188811";

ReleasePageOpener& PageOpener()
{
    static ReleasePageOpener opener;
    return opener;
}

bool IsSixDigits(const QString& text)
{
    if (text.size() != 6)
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

}  // namespace

int ReleaseNumber(const QString& ddmmyy)
{
    if (!IsSixDigits(ddmmyy))
        return -1;
    // Year, then month, then day.
    return ddmmyy.mid(4, 2).toInt() * 10000 + ddmmyy.mid(2, 2).toInt() * 100 + ddmmyy.mid(0, 2).toInt();
}

QString InstalledReleaseCode(const QString& buildString)
{
    const QString code = buildString.mid(5, 6);
    return IsSixDigits(code) ? code : QString::fromLatin1(kBuildReleaseCode);
}

ReleaseCheckResult CheckReleaseServer(const QUrl& address, const QString& installedCode, int timeoutMs)
{
    ReleaseCheckResult result;
    QNetworkAccessManager network;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = network.get(request);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->error() == QNetworkReply::NoError ? reply->read(4096) : QByteArray();
    reply->deleteLater();
    // An error page is no answer.
    if (reply->error() != QNetworkReply::NoError || (status != 0 && status != 200) || body.isEmpty())
        return result;
    const QString line = QString::fromLatin1(body.left(body.indexOf('\n') < 0 ? body.size() : body.indexOf('\n')));
    result.offered = line.mid(1, 6);
    const int offered = ReleaseNumber(result.offered);
    const int installed = ReleaseNumber(installedCode);
    const bool none = result.offered.compare(QLatin1String(kNoReleaseCode), Qt::CaseInsensitive) == 0;
    result.outcome = (!none && offered >= 0 && installed < offered) ? ReleaseCheckResult::Newer
                                                                     : ReleaseCheckResult::NotNewer;
    return result;
}

UpdateAddresses& GetUpdateAddresses()
{
    static UpdateAddresses addresses{QUrl(QStringLiteral("https://www.korvan10.org/release/current.txt")),
                                     QUrl(QStringLiteral("https://www.korvan10.org/release/"))};
    return addresses;
}

void SetReleasePageOpener(ReleasePageOpener opener)
{
    PageOpener() = std::move(opener);
}

bool OpenReleasePage(const QUrl& page)
{
    if (PageOpener())
        return PageOpener()(page);
    return QDesktopServices::openUrl(page);
}
