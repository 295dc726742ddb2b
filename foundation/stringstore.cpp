#include "foundation/stringstore.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QVariant>

namespace {

CStringStore g_stringStore;

const char* const kLanguageCodes[] = {"GER", "ENG",   "ESP", "FRA", "JPN", "ITA", "CHINS", "CHINT",
                                      "POR", "RUS",   "TUR", "THA", "POL", "ARA", "CZE"};

struct ShortcutEntry {
    const char* keys;
    std::initializer_list<int> commands;
};

// Key texts in their fixed order; a text may serve several commands.
const ShortcutEntry kShortcuts[] = {
    {"Alt+N", {20056, 20065}},
    {"Ctrl+B", {33129}},
    {"Ctrl+O", {33163}},
    {"Ctrl+F", {282}},
    {"Ctrl+I", {32904}},
    {"Ctrl+L", {33126}},
    {"Ctrl+Q", {32905}},
    {"Ctrl+W", {33137}},
    {"Alt+Q", {33234}},
    {"F3", {33503}},
    {"F4", {33506}},
    {"Ctrl+T", {33123}},
    {"Ctrl+Shift+T", {20009}},
    {"F1", {33664}},
    {"Ctrl+P", {33500}},
    {"F5", {33504}},
    {"F6", {33507}},
    {"Ctrl+Shift+F", {20113, 20115, 20117}},
    {"Alt+DblClick", {20133, 20134, 20135, 20136, 20137, 20138}},
    {"F2", {20018, 20026, 20044, 20066}},
    {"Ctrl+Shift+B", {20164}},
    {"Ctrl+Shift+E", {32906}},
    {"Ctrl+Plus", {6105}},
    {"Ctrl+Minus", {6106}},
    {"Ctrl+0", {6107}},
    {"Ctrl+Shift+L", {20109}},
    {"Ctrl+H", {1165}},
    {"Ctrl+E", {1166, 5778}},
    {"Ctrl+M", {20029, 20110, 20112, 20114, 20116, 23001}},
    {"Ctrl+Q", {1167}},
    {"Ctrl+O", {1169}},
    {"Ctrl+N", {1170}},
    {"Ctrl+P", {3144}},
    {"Ctrl+B", {1177}},
    {"Ctrl+S", {1181}},
    {"Ctrl+Shift+R", {1178}},
    {"Ctrl+R", {1186}},
    {"Ctrl+T", {1247}},
    {"Ctrl+O", {3}},
    {"Ctrl+I", {5}},
    {"Ctrl+S", {4}},
    {"Ctrl+E", {1248}},
    {"Ctrl+N", {1094}},
    {"Ctrl+Shift+N", {1093}},
    {"Ctrl+Alt+N", {6}},
    {"Del", {558, 1095, 1171}},
};

// Command ids first..last map element by element to text ids from textFirst.
struct CommandTextRange {
    int first;
    int last;
    int textFirst;
};

const CommandTextRange kCommandTexts[] = {
    {3, 3, 100476},         {4, 4, 100478},         {5, 5, 100477},         {6, 6, 100479},
    {9, 9, 102059},         {513, 513, 32773},      {558, 558, 100472},     {602, 602, 601},
    {604, 604, 602},        {606, 606, 603},        {608, 608, 604},        {611, 611, 1165},
    {612, 613, 655},        {614, 614, 100029},     {616, 616, 100039},     {658, 658, 102257},
    {1093, 1093, 100471},   {1094, 1095, 100474},   {1177, 1177, 101005},   {1178, 1178, 101009},
    {1181, 1181, 102195},   {1182, 1182, 101012},   {1186, 1186, 101021},   {1247, 1248, 101036},
    {1262, 1262, 102257},   {3083, 3083, 102277},   {3138, 3138, 5780},     {3139, 3141, 1145},
    {3142, 3142, 5779},     {3143, 3143, 5788},     {3144, 3144, 1168},     {3152, 3153, 102157},
    {3154, 3156, 102228},   {6013, 6014, 542},      {6017, 6018, 540},      {6019, 6019, 100013},
    {6020, 6037, 516},      {6039, 6042, 536},      {6046, 6046, 100540},   {6047, 6047, 100297},
    {6048, 6048, 101049},   {6055, 6055, 100274},   {6056, 6056, 57643},    {6101, 6109, 102061},
    {6110, 6110, 102273},   {6111, 6111, 102272},   {6200, 6200, 5781},     {6201, 6201, 5786},
    {6202, 6202, 102110},   {20113, 20113, 20111},  {20115, 20115, 20112},  {20117, 20117, 20113},
    {20123, 20123, 20116},  {20164, 20167, 20159},  {23001, 23001, 102130}, {23101, 23101, 57643},
    {30018, 30024, 102095}, {30025, 30026, 102104}, {30027, 30027, 102103}, {30202, 30203, 32799},
    {30204, 30204, 32802},  {30205, 30205, 32773},  {30206, 30216, 102095}, {33150, 33150, 102139},
    {33500, 33507, 102032}, {33510, 33510, 102086}, {33511, 33511, 102031}, {33546, 33546, 102102},
    {33631, 33631, 102232}, {33635, 33635, 102232}, {39000, 39002, 100099}, {39003, 39004, 101039},
    {39005, 39005, 101045}, {39006, 39007, 101173}, {39008, 39008, 101177}, {39009, 39010, 101175},
    {39011, 39011, 102294},
};

QString Utf16Text(const void* p, int bytes)
{
    return QString(reinterpret_cast<const QChar*>(p), bytes / 2);
}

}  // namespace

CStringStore* g_pStringStore = &g_stringStore;

QString LanguageCodeName(int languageIndex)
{
    if (languageIndex < 0 || languageIndex >= int(std::size(kLanguageCodes)))
        languageIndex = 0;
    return QString::fromLatin1(kLanguageCodes[languageIndex]);
}

void UnescapeText(QString& text, bool crlf)
{
    const QString lineBreak = crlf ? QStringLiteral("\r\n") : QStringLiteral("\r");
    text.replace(QStringLiteral("\\r\\n"), lineBreak);
    text.replace(QStringLiteral("\\r"), QStringLiteral("\r"));
    text.replace(QStringLiteral("\\n"), lineBreak);
    text.replace(QStringLiteral("\\t"), QStringLiteral("\t"));
    text.replace(QStringLiteral("\\\""), QStringLiteral("\""));
}

bool CStringSource::Load(const QString&, int languageIndex)
{
    m_languageIndex = languageIndex;
    FillShortcutNames();
    return true;
}

void CStringSource::MapCommandId(int& id) const
{
    const auto it = m_commandTextMap.constFind(id);
    if (it != m_commandTextMap.constEnd())
        id = it.value();
}

QString CStringSource::GetShortcutText(int commandId) const
{
    const auto it = m_shortcutMap.constFind(commandId);
    if (it == m_shortcutMap.constEnd() || it.value() < 0 || it.value() >= m_shortcutTexts.size())
        return {};
    return m_shortcutTexts.at(it.value());
}

bool CStringSource::TranslateCaption(QString& caption)
{
    if (!IsOpen())
        return false;
    caption = caption.trimmed();
    if (!caption.startsWith(QLatin1String("@STR"), Qt::CaseInsensitive))
        return false;
    const qsizetype bar = caption.indexOf(QLatin1Char('|'));
    if (bar >= 0)
        caption = caption.left(bar).trimmed();
    int id = 0;
    for (qsizetype i = 4; i < caption.size() && caption.at(i).isDigit(); ++i) {
        id = id * 10 + caption.at(i).digitValue();
        if (id > 99999999)   // no text id is that long; stop before overflow
            break;
    }
    if (id == 0)
        return false;
    caption = GetString(id, 0);
    return true;
}

CStringStore::~CStringStore()
{
    Close();
}

bool CStringStore::Open(const QString& path, int languageIndex)
{
    Close();
    CStringSource::Load(path, languageIndex);
    m_lastError.clear();
    if (!QFileInfo(path).isFile()) {
        m_lastError = QStringLiteral("The language file \"%1\" does not exist.").arg(path);
        return false;
    }
    sqlite3* db = nullptr;
    const QByteArray name = path.toUtf8();
    if (sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        m_lastError = QStringLiteral("The language file \"%1\" cannot be opened: %2")
                          .arg(path, QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        return false;
    }
    // The chosen column may be missing in an older table: read English alone then.
    const QString code = GetLanguageCode();
    const QString both = QStringLiteral("SELECT [%1], [ENG] FROM [tabStrings] WHERE [ID]=?;").arg(code);
    const QString english = QStringLiteral("SELECT [ENG], NULL FROM [tabStrings] WHERE [ID]=?;");
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db, both.toUtf8().constData(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK
        && sqlite3_prepare_v3(db, english.toUtf8().constData(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr)
               != SQLITE_OK) {
        m_lastError = QStringLiteral("The language file \"%1\" is damaged or holds no language table: %2")
                          .arg(path, QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        return false;
    }
    m_db = db;
    m_select = stmt;
    return true;
}

void CStringStore::Close()
{
    if (m_select) {
        sqlite3_finalize(m_select);
        m_select = nullptr;
    }
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
    m_cache.clear();
}

QString CStringStore::GetString(int id, int commandFlag)
{
    if (!IsOpen())
        return {};
    if (commandFlag == 1)
        MapCommandId(id);
    const auto cached = m_cache.constFind(id);
    if (cached != m_cache.constEnd())
        return cached.value();

    QString text;
    sqlite3_reset(m_select);
    sqlite3_bind_int(m_select, 1, id);
    if (sqlite3_step(m_select) == SQLITE_ROW) {
        for (int column = 0; column < 2 && text.isEmpty(); ++column) {
            if (sqlite3_column_type(m_select, column) == SQLITE_NULL)
                continue;
            const void* p = sqlite3_column_text16(m_select, column);
            text = Utf16Text(p, sqlite3_column_bytes16(m_select, column));
        }
    }
    sqlite3_reset(m_select);
    m_cache.insert(id, text);
    return text;
}

bool CStringStore::Execute(const QString& sql, const QList<QVariant>& values)
{
    if (!IsOpen())
        return false;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& v = values.at(i);
        if (v.typeId() == QMetaType::Int) {
            sqlite3_bind_int(stmt, i + 1, v.toInt());
        } else {
            const QString s = v.toString();
            sqlite3_bind_text16(stmt, i + 1, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
        }
    }
    const bool ok = sqlite3_step(stmt) == SQLITE_DONE;
    sqlite3_finalize(stmt);
    if (ok)
        m_cache.clear();
    return ok;
}

bool CStringStore::InsertString(int id, const QString& reference, const QString& section, const QString& text)
{
    return Execute(QStringLiteral("INSERT INTO [tabStrings]([ID],[Reference],[Section],[%1]) VALUES(?,?,?,?);")
                       .arg(GetLanguageCode()),
                   {id, reference, section, text});
}

bool CStringStore::UpdateString(int id, const QString& text)
{
    return Execute(QStringLiteral("UPDATE [tabStrings] SET [%1]=? WHERE [ID]=?;").arg(GetLanguageCode()),
                   {text, id});
}

void CStringStore::FillShortcutNames()
{
    // Filled anew on every load, so a second Open does not pile up copies.
    m_shortcutTexts.clear();
    m_shortcutMap.clear();
    m_commandTextMap.clear();
    for (const ShortcutEntry& entry : kShortcuts) {
        m_shortcutTexts.append(QString::fromLatin1(entry.keys));
        const int index = int(m_shortcutTexts.size()) - 1;
        for (int command : entry.commands)
            m_shortcutMap.insert(command, index);
    }
    for (const CommandTextRange& range : kCommandTexts)
        for (int command = range.first; command <= range.last; ++command)
            m_commandTextMap.insert(command, range.textFirst + (command - range.first));
}

QString LoadString(int id)
{
    return g_pStringStore->GetString(id, 0);
}
