#include "app/updatecheck.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

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

CReleaseCheck::CReleaseCheck(const QUrl& address, QString installedCode, int timeoutMs, QObject* parent)
    : QObject(parent), m_installed(std::move(installedCode))
{
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::finished, this, &CReleaseCheck::OnReply);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_reply)
            m_reply->abort();
    });
    m_timer.start(timeoutMs);
}

CReleaseCheck::~CReleaseCheck()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        delete m_reply.data();
    }
}

void CReleaseCheck::OnReply()
{
    m_timer.stop();
    QNetworkReply* reply = m_reply;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool ok = reply->error() == QNetworkReply::NoError && (status == 0 || status == 200);
    const QByteArray body = ok ? reply->read(4096) : QByteArray();
    reply->deleteLater();
    m_reply = nullptr;
    // An error page is no answer.
    if (!body.isEmpty()) {
        const qsizetype end = body.indexOf('\n');
        const QString line = QString::fromLatin1(end < 0 ? body : body.left(end));
        m_result.offered = line.mid(1, 6);
        const int offered = ReleaseNumber(m_result.offered);
        const bool none = m_result.offered.compare(QLatin1String(kNoReleaseCode), Qt::CaseInsensitive) == 0;
        m_result.outcome = (!none && offered >= 0 && ReleaseNumber(m_installed) < offered)
                               ? ReleaseCheckResult::Newer
                               : ReleaseCheckResult::NotNewer;
    }
    m_finished = true;
    emit Finished();
}

ReleaseCheckResult CheckReleaseServer(const QUrl& address, const QString& installedCode, int timeoutMs)
{
    CReleaseCheck check(address, installedCode, timeoutMs);
    if (!check.IsFinished()) {
        QEventLoop loop;
        QObject::connect(&check, &CReleaseCheck::Finished, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return check.Result();
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
