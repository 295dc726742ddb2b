#include "foundation/options.h"

#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "foundation/xmldoc.h"

#include <QIODevice>

CPropertyList g_qdaOptions;
CPropertyList g_dictioOptions;
CPropertyList g_mapsOptions;
CPropertyList g_prnexpOptions;

namespace {

QString g_wordSeparators;

constexpr bool kHidden = false;

// Builds the records of one set; captions come from the language table.
class OptionBuilder {
public:
    OptionBuilder(CPropertyList& list, const char* title) : m_list(list)
    {
        m_list.RemoveAll();
        m_list.SetTitle(QString::fromLatin1(title));
    }

    void Group(qint32 id, int caption, bool visible = true)
    {
        m_group = id;
        m_list.Add(CPropertyRecord(id, id, LoadString(caption), PropertyType::Group, visible));
    }
    void Bool(qint32 id, int caption, bool value, bool visible = true)
    {
        CPropertyRecord r(id, m_group, LoadString(caption), PropertyType::Boolean, visible);
        r.SetBool(value);
        m_list.Add(r);
    }
    void Int(qint32 id, int caption, qint32 value, qint32 minimum, qint32 maximum, bool visible = true)
    {
        CPropertyRecord r(id, m_group, LoadString(caption), PropertyType::Integer, visible);
        r.SetInt(value);
        r.SetLimits(minimum, maximum);
        m_list.Add(r);
    }
    void Real(qint32 id, int caption, double value, bool visible = true)
    {
        CPropertyRecord r(id, m_group, LoadString(caption), PropertyType::Real, visible);
        r.SetDouble(value);
        m_list.Add(r);
    }
    void Text(qint32 id, int caption, const QString& value, PropertyType type = PropertyType::Text)
    {
        CPropertyRecord r(id, m_group, LoadString(caption), type);
        r.SetString(value);
        m_list.Add(r);
    }
    void Choice(qint32 id, int caption, const QStringList& items, qint32 value)
    {
        CPropertyRecord r(id, m_group, LoadString(caption), PropertyType::Choice);
        for (const QString& item : items)
            r.AddStringItem(item);
        r.SetInt(value);
        m_list.Add(r);
    }

private:
    CPropertyList& m_list;
    qint32 m_group = 0;
};

CPropertyList* const kSets[] = {&g_qdaOptions, &g_dictioOptions, &g_mapsOptions, &g_prnexpOptions};

}  // namespace

void BuildOptionDefinitions()
{
    using namespace QdaOption;
    OptionBuilder qda(g_qdaOptions, "qda");
    qda.Group(1, 102015);
    qda.Bool(AskBeforeDeleting, 100514, true, kHidden);
    qda.Bool(CheckNewCodeNames, 100515, false, kHidden);
    qda.Bool(CodeTreeCheckColumn, 100516, false);
    qda.Bool(MatrixCountsSubcodes, 100517, false);
    qda.Bool(KeepEmbeddedObjects, 100518, false, kHidden);
    qda.Bool(ActivateWithSubcodes, 101041, true);
    qda.Int(DefaultWeight, 100522, 0, 0, 100, kHidden);
    qda.Int(QuickCodeCount, 100523, 20, 10, 100, kHidden);
    qda.Text(ExternalsFolder, 101067, QString(), PropertyType::Folder);
    qda.Bool(FrequenciesWithSubcodes, 102381, true);
    qda.Group(11, 102022);
    qda.Bool(PaneLayout, 100520, true);
    qda.Bool(LargeFonts, 100521, false);
    qda.Bool(ResetProfileAtExit, 100519, false);
    qda.Group(15, 102203);
    qda.Bool(UpdateCheck, 102204, true);
    qda.Int(UpdateCheckDays, 102205, 30, 1, 100);
    qda.Group(18, 102206, kHidden);
    qda.Int(LargeFileQuestionMB, 102207, 5, 0, 500, kHidden);
    qda.Group(20, 102215);
    qda.Bool(EnglishColumnNames, 102216, true);
    qda.Choice(ExcelFormat, 102258, {QStringLiteral("XLS"), QStringLiteral("XLSX")}, 0);
    qda.Group(23, 102369);
    qda.Bool(AutomaticBackup, 102363, true);
    qda.Int(BackupDays, 102364, 14, 1, 99999);
    qda.Text(BackupFolder, 102365, QString(), PropertyType::Folder);
    qda.Group(27, 102027, kHidden);
    qda.Real(MediaRate, 102373, 1.0, kHidden);
    qda.Int(MediaRewind, 102374, 2, 0, 10, kHidden);
    qda.Bool(FootSwitchStamps, 102375, false, kHidden);

    OptionBuilder dictio(g_dictioOptions, "dictio");
    dictio.Group(1, 102016);
    dictio.Text(DictioOption::WordSeparators, 100482, QStringLiteral("@!§$%&/()=?^°'´`\"{}[]\\#+*_.:,;<>~"));
    dictio.Group(3, 100483);
    dictio.Bool(DictioOption::CaseSensitive, 100484, false);
    dictio.Group(5, 100485);
    dictio.Bool(DictioOption::StopAtFirstHit, 100486, false);
    dictio.Bool(DictioOption::WholeWords, 100487, false);
    dictio.Bool(DictioOption::UseStopList, 102017, false);
    dictio.Text(DictioOption::ValidationFile, 100488, QStringLiteral("Validate.rtf"));
    dictio.Text(DictioOption::DictionaryFolder, 102018, WithoutTrailingSeparators(g_program.SettingsFolder),
                PropertyType::Folder);

    OptionBuilder maps(g_mapsOptions, "maps");
    maps.Group(1, 102019);
    maps.Bool(MapsOption::SnapToGrid, 101062, false);
    maps.Choice(MapsOption::PictureQuality, 102020,
                {LoadString(101060), QStringLiteral("300 X 300"), QStringLiteral("600 X 600"), QStringLiteral("1200 X 1200")},
                1);
    maps.Bool(MapsOption::LinkDocuments, 102244, true);

    const QStringList alignments = {LoadString(102074), LoadString(102075), LoadString(102076)};
    OptionBuilder prnexp(g_prnexpOptions, "prnexp");
    prnexp.Group(1, 102070);
    prnexp.Text(PrnexpOption::HeaderText, 102071, QString());
    prnexp.Choice(PrnexpOption::HeaderAlignment, 102072, alignments, 1);
    prnexp.Group(4, 102073);
    prnexp.Text(PrnexpOption::FooterText, 102071, QString());
    prnexp.Choice(PrnexpOption::FooterAlignment, 102072, alignments, 1);
    prnexp.Group(7, 102114);
    prnexp.Choice(PrnexpOption::CodeColumnWidth, 102115,
                  {QStringLiteral("10%"), QStringLiteral("20%"), QStringLiteral("30%"), QStringLiteral("40%"),
                   QStringLiteral("50%")},
                  1);

    LoadOptionsFile();
    ApplyWordSeparators();
}

bool LoadOptionsFile()
{
    if (g_program.OptionsFilePath.isEmpty())
        return false;
    CXmlDoc xml;
    if (!xml.Open(g_program.OptionsFilePath, XmlDocFlag::ReadFile | XmlDocFlag::Utf8Bom))
        return false;
    const bool found = xml.FindElement(QStringLiteral("KORVAN"));
    if (found) {
        xml.EnterElement();
        while (xml.FindElement(QStringLiteral("PROPERTIES"))) {
            const QString id = xml.GetElementAttribute(u"id");
            if (!xml.EnterElement())
                continue;   // an empty element holds nothing
            for (CPropertyList* set : kSets)
                if (id.compare(set->GetTitle(), Qt::CaseInsensitive) == 0)
                    set->ReadXml(xml);
            xml.LeaveElement();
        }
        xml.LeaveElement();
    }
    xml.Close();
    return found;
}

bool SaveOptionsFile(QString* error)
{
    if (g_program.OptionsFilePath.isEmpty())
        return true;
    CXmlDoc xml;
    bool ok = xml.Open(g_program.OptionsFilePath, XmlDocFlag::WriteFile | XmlDocFlag::Utf8Bom);
    if (ok) {
        ok = xml.AddElement(QStringLiteral("KORVAN")) && xml.EnterElement();
        for (CPropertyList* set : kSets)
            ok = ok && set->WriteXml(xml);
        ok = xml.LeaveElement() && ok;
        ok = xml.Close() && ok;   // the file replaces the old one only when every write succeeded
    }
    if (!ok && error)
        *error = xml.GetResultText();
    return ok;
}

QString GetWordSeparators(bool withControls)
{
    QString separators = g_dictioOptions.GetString(DictioOption::WordSeparators);
    if (withControls)
        separators += QStringLiteral("\n\r\t\v");
    return separators;
}

void ApplyWordSeparators()
{
    QString separators = g_dictioOptions.GetString(DictioOption::WordSeparators);
    separators.remove(u' ');
    g_dictioOptions.SetString(DictioOption::WordSeparators, separators);
    g_wordSeparators = GetWordSeparators(true);
}

bool IsWordSeparator(QChar c)
{
    return c == u' ' || g_wordSeparators.contains(c);
}

bool HasUtf16Bom(QIODevice& file)
{
    char mark[2];
    if (file.read(mark, 2) == 2 && uchar(mark[0]) == 0xFF && uchar(mark[1]) == 0xFE)
        return true;
    file.seek(0);
    return false;
}
