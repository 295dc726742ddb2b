#include "foundation/xmlinternal.h"

#include "platform/codepage/codepage.h"

#include <QHash>

// Character entity references of HTML 4 and "apos", and the encoding names
// that markup files declare, with their Windows code pages.

namespace {

struct EntityEntry {
    const char16_t* name;
    char32_t codePoint;
};

const EntityEntry kEntities[] = {
    {u"quot", 34}, {u"amp", 38}, {u"apos", 39}, {u"lt", 60}, {u"gt", 62}, {u"nbsp", 160}, {u"iexcl", 161},
    {u"cent", 162}, {u"pound", 163}, {u"curren", 164}, {u"yen", 165}, {u"brvbar", 166}, {u"sect", 167},
    {u"uml", 168}, {u"copy", 169}, {u"ordf", 170}, {u"laquo", 171}, {u"not", 172}, {u"shy", 173}, {u"reg", 174},
    {u"macr", 175}, {u"deg", 176}, {u"plusmn", 177}, {u"sup2", 178}, {u"sup3", 179}, {u"acute", 180},
    {u"micro", 181}, {u"para", 182}, {u"middot", 183}, {u"cedil", 184}, {u"sup1", 185}, {u"ordm", 186},
    {u"raquo", 187}, {u"frac14", 188}, {u"frac12", 189}, {u"frac34", 190}, {u"iquest", 191}, {u"Agrave", 192},
    {u"Aacute", 193}, {u"Acirc", 194}, {u"Atilde", 195}, {u"Auml", 196}, {u"Aring", 197}, {u"AElig", 198},
    {u"Ccedil", 199}, {u"Egrave", 200}, {u"Eacute", 201}, {u"Ecirc", 202}, {u"Euml", 203}, {u"Igrave", 204},
    {u"Iacute", 205}, {u"Icirc", 206}, {u"Iuml", 207}, {u"ETH", 208}, {u"Ntilde", 209}, {u"Ograve", 210},
    {u"Oacute", 211}, {u"Ocirc", 212}, {u"Otilde", 213}, {u"Ouml", 214}, {u"times", 215}, {u"Oslash", 216},
    {u"Ugrave", 217}, {u"Uacute", 218}, {u"Ucirc", 219}, {u"Uuml", 220}, {u"Yacute", 221}, {u"THORN", 222},
    {u"szlig", 223}, {u"agrave", 224}, {u"aacute", 225}, {u"acirc", 226}, {u"atilde", 227}, {u"auml", 228},
    {u"aring", 229}, {u"aelig", 230}, {u"ccedil", 231}, {u"egrave", 232}, {u"eacute", 233}, {u"ecirc", 234},
    {u"euml", 235}, {u"igrave", 236}, {u"iacute", 237}, {u"icirc", 238}, {u"iuml", 239}, {u"eth", 240},
    {u"ntilde", 241}, {u"ograve", 242}, {u"oacute", 243}, {u"ocirc", 244}, {u"otilde", 245}, {u"ouml", 246},
    {u"divide", 247}, {u"oslash", 248}, {u"ugrave", 249}, {u"uacute", 250}, {u"ucirc", 251}, {u"uuml", 252},
    {u"yacute", 253}, {u"thorn", 254}, {u"yuml", 255}, {u"OElig", 338}, {u"oelig", 339}, {u"Scaron", 352},
    {u"scaron", 353}, {u"Yuml", 376}, {u"fnof", 402}, {u"circ", 710}, {u"tilde", 732}, {u"Alpha", 913},
    {u"Beta", 914}, {u"Gamma", 915}, {u"Delta", 916}, {u"Epsilon", 917}, {u"Zeta", 918}, {u"Eta", 919},
    {u"Theta", 920}, {u"Iota", 921}, {u"Kappa", 922}, {u"Lambda", 923}, {u"Mu", 924}, {u"Nu", 925},
    {u"Xi", 926}, {u"Omicron", 927}, {u"Pi", 928}, {u"Rho", 929}, {u"Sigma", 931}, {u"Tau", 932},
    {u"Upsilon", 933}, {u"Phi", 934}, {u"Chi", 935}, {u"Psi", 936}, {u"Omega", 937}, {u"alpha", 945},
    {u"beta", 946}, {u"gamma", 947}, {u"delta", 948}, {u"epsilon", 949}, {u"zeta", 950}, {u"eta", 951},
    {u"theta", 952}, {u"iota", 953}, {u"kappa", 954}, {u"lambda", 955}, {u"mu", 956}, {u"nu", 957},
    {u"xi", 958}, {u"omicron", 959}, {u"pi", 960}, {u"rho", 961}, {u"sigmaf", 962}, {u"sigma", 963},
    {u"tau", 964}, {u"upsilon", 965}, {u"phi", 966}, {u"chi", 967}, {u"psi", 968}, {u"omega", 969},
    {u"thetasym", 977}, {u"upsih", 978}, {u"piv", 982}, {u"ensp", 8194}, {u"emsp", 8195}, {u"thinsp", 8201},
    {u"zwnj", 8204}, {u"zwj", 8205}, {u"lrm", 8206}, {u"rlm", 8207}, {u"ndash", 8211}, {u"mdash", 8212},
    {u"lsquo", 8216}, {u"rsquo", 8217}, {u"sbquo", 8218}, {u"ldquo", 8220}, {u"rdquo", 8221}, {u"bdquo", 8222},
    {u"dagger", 8224}, {u"Dagger", 8225}, {u"bull", 8226}, {u"hellip", 8230}, {u"permil", 8240},
    {u"prime", 8242}, {u"Prime", 8243}, {u"lsaquo", 8249}, {u"rsaquo", 8250}, {u"oline", 8254},
    {u"frasl", 8260}, {u"euro", 8364}, {u"image", 8465}, {u"weierp", 8472}, {u"real", 8476}, {u"trade", 8482},
    {u"alefsym", 8501}, {u"larr", 8592}, {u"uarr", 8593}, {u"rarr", 8594}, {u"darr", 8595}, {u"harr", 8596},
    {u"crarr", 8629}, {u"lArr", 8656}, {u"uArr", 8657}, {u"rArr", 8658}, {u"dArr", 8659}, {u"hArr", 8660},
    {u"forall", 8704}, {u"part", 8706}, {u"exist", 8707}, {u"empty", 8709}, {u"nabla", 8711}, {u"isin", 8712},
    {u"notin", 8713}, {u"ni", 8715}, {u"prod", 8719}, {u"sum", 8721}, {u"minus", 8722}, {u"lowast", 8727},
    {u"radic", 8730}, {u"prop", 8733}, {u"infin", 8734}, {u"ang", 8736}, {u"and", 8743}, {u"or", 8744},
    {u"cap", 8745}, {u"cup", 8746}, {u"int", 8747}, {u"there4", 8756}, {u"sim", 8764}, {u"cong", 8773},
    {u"asymp", 8776}, {u"ne", 8800}, {u"equiv", 8801}, {u"le", 8804}, {u"ge", 8805}, {u"sub", 8834},
    {u"sup", 8835}, {u"nsub", 8836}, {u"sube", 8838}, {u"supe", 8839}, {u"oplus", 8853}, {u"otimes", 8855},
    {u"perp", 8869}, {u"sdot", 8901}, {u"lceil", 8968}, {u"rceil", 8969}, {u"lfloor", 8970}, {u"rfloor", 8971},
    {u"lang", 9001}, {u"rang", 9002}, {u"loz", 9674}, {u"spades", 9824}, {u"clubs", 9827}, {u"hearts", 9829},
    {u"diams", 9830},
};

struct EncodingEntry {
    const char* name;   // lower case
    int codePage;
};

// The EBCDIC 500 names map to code page 500 (not to 775, whose bytes differ).
const EncodingEntry kEncodings[] = {
    {"cp154", 154}, {"csptcp154", 154}, {"cyrillic-asian", 154}, {"pt154", 154}, {"ptcp154", 154},
    {"codepage437", 437}, {"cp437", 437}, {"cspc8", 437}, {"cspc8codepage437", 437}, {"ibm437", 437},
    {"asmo-708", 708}, {"dos-720", 720}, {"cp737", 737}, {"ibm737", 737}, {"cp500", 500}, {"cp775", 775},
    {"csibm500", 500}, {"cspc775baltic", 775}, {"ebcdic-cp-be", 500}, {"ebcdic-cp-ch", 500}, {"ibm775", 775},
    {"cp850", 850}, {"cspc850multilingual", 850}, {"ibm850", 850}, {"cp852", 852}, {"cspcp852", 852},
    {"ibm852", 852}, {"cp853", 853}, {"cp855", 855}, {"csibm855", 855}, {"ibm855", 855}, {"cp857", 857},
    {"csibm857", 857}, {"ibm857", 857}, {"ccsid00858", 858}, {"cp00858", 858}, {"cp858", 858},
    {"ibm00858", 858}, {"pc-multilingual-850+euro", 858}, {"cp860", 860}, {"csibm860", 860}, {"ibm860", 860},
    {"cp-is", 861}, {"cp861", 861}, {"csibm861", 861}, {"ibm861", 861}, {"cp862", 862},
    {"cspc862latinhebrew", 862}, {"dos-862", 862}, {"ibm862", 862}, {"cp863", 863}, {"csibm863", 863},
    {"ibm863", 863}, {"cp864", 864}, {"csibm864", 864}, {"ibm864", 864}, {"cp865", 865}, {"csibm865", 865},
    {"ibm865", 865}, {"cp866", 866}, {"csibm866", 866}, {"ibm866", 866}, {"cp-gr", 869}, {"cp869", 869},
    {"csibm869", 869}, {"ibm869", 869}, {"cp874", 874}, {"dos-874", 874}, {"iso-8859-11", 874},
    {"tis-620", 874}, {"windows-874", 874}, {"cp932", 932}, {"csshiftjis", 932}, {"cswindows31j", 932},
    {"ms932", 932}, {"ms_kanji", 932}, {"shifft_jis", 932}, {"shifft_jis-ms", 932}, {"shift-jis", 932},
    {"shift_jis", 932}, {"sjis", 932}, {"sjis-ms", 932}, {"sjis-open", 932}, {"sjis-win", 932},
    {"windows-31j", 932}, {"windows-932", 932}, {"x-ms-cp932", 932}, {"x-sjis", 932}, {"chinese", 936},
    {"cn-gb", 936}, {"cp936", 936}, {"csgb2312", 936}, {"csgb231280", 936}, {"csiso58gb231280", 936},
    {"gb2312", 936}, {"gb2312-80", 936}, {"gb231280", 936}, {"gb_2312-80", 936}, {"gbk", 936},
    {"iso-ir-58", 936}, {"ms936", 936}, {"windows-936", 936}, {"cp949", 949}, {"csksc56011987", 949},
    {"iso-ir-149", 949}, {"korean", 949}, {"ks-c-5601", 949}, {"ks-c5601", 949}, {"ks_c_5601", 949},
    {"ks_c_5601-1987", 949}, {"ks_c_5601-1989", 949}, {"ks_c_5601_1987", 949}, {"ksc5601", 949},
    {"ksc_5601", 949}, {"uhc", 949}, {"big5", 950}, {"big5-hkscs", 950}, {"cn-big5", 950}, {"cp950", 950},
    {"csbig5", 950}, {"x-x-big5", 950}, {"cp1125", 1125}, {"cp1133", 1133}, {"ibm-cp1133", 1133},
    {"cp1200", 1200}, {"ucs-2", 1200}, {"ucs-2le", 1200}, {"unicode", 1200}, {"utf-16", 1200},
    {"utf-16le", 1200}, {"utf16", 1200}, {"utf16le", 1200}, {"cp1201", 1201}, {"ucs-2be", 1201},
    {"unicodefffe", 1201}, {"utf-16be", 1201}, {"utf16be", 1201}, {"cp1250", 1250}, {"ms-ee", 1250},
    {"windows-1250", 1250}, {"x-cp1250", 1250}, {"cp1251", 1251}, {"ms-cyrl", 1251}, {"windows-1251", 1251},
    {"x-cp1251", 1251}, {"cp1252", 1252}, {"ms-ansi", 1252}, {"windows-1252", 1252}, {"x-ansi", 1252},
    {"cp1253", 1253}, {"ms-greek", 1253}, {"windows-1253", 1253}, {"cp1254", 1254}, {"ms-turk", 1254},
    {"windows-1254", 1254}, {"cp1255", 1255}, {"ms-hebr", 1255}, {"windows-1255", 1255}, {"cp1256", 1256},
    {"ms-arab", 1256}, {"windows-1256", 1256}, {"cp1257", 1257}, {"winbaltrim", 1257}, {"windows-1257", 1257},
    {"cp1258", 1258}, {"windows-1258", 1258}, {"cp1361", 1361}, {"johab", 1361}, {"csmacintosh", 10000},
    {"mac", 10000}, {"macintosh", 10000}, {"x-mac-japanese", 10001}, {"x-mac-chinesetrad", 10002},
    {"x-mac-korean", 10003}, {"x-mac-arabic", 10004}, {"x-mac-hebrew", 10005}, {"x-mac-greek", 10006},
    {"x-mac-cyrillic", 10007}, {"x-mac-chinesesimp", 10008}, {"x-mac-romanian", 10010},
    {"x-mac-ukrainian", 10017}, {"x-mac-thai", 10021}, {"x-mac-ce", 10029}, {"x-mac-icelandic", 10079},
    {"x-mac-turkish", 10081}, {"x-mac-croatian", 10082}, {"cp12000", 12000}, {"utf-32", 12000},
    {"utf-32le", 12000}, {"utf32", 12000}, {"utf32le", 12000}, {"cp12001", 12001}, {"utf-32be", 12001},
    {"utf32be", 12001}, {"x-chinese-cns", 20000}, {"x-chinese_cns", 20000}, {"x-cp20001", 20001},
    {"x-chinese-eten", 20002}, {"x_chinese-eten", 20002}, {"x-cp20003", 20003}, {"x-cp20004", 20004},
    {"x-cp20005", 20005}, {"x-ia5", 20105}, {"x-ia5-german", 20106}, {"x-ia5-swedish", 20107},
    {"x-ia5-norwegian", 20108}, {"ansi_x3.4-1968", 20127}, {"ansi_x3.4-1986", 20127}, {"ascii", 20127},
    {"cp367", 20127}, {"csascii", 20127}, {"ibm367", 20127}, {"iso-ir-6", 20127}, {"iso-ir-6us", 20127},
    {"iso646-us", 20127}, {"iso_646.irv:1991", 20127}, {"us", 20127}, {"us-ascii", 20127}, {"x-cp20261", 20261},
    {"x-cp20269", 20269}, {"cskoi8r", 20866}, {"koi", 20866}, {"koi8", 20866}, {"koi8-r", 20866},
    {"koi8r", 20866}, {"cseucpkdfmtjapanese", 20932}, {"euc-jp", 20932},
    {"extended_unix_code_packed_format_for_japanese", 20932}, {"x-cp20936", 20936}, {"x-cp20949", 20949},
    {"koi8-ru", 21866}, {"koi8-u", 21866}, {"cp819", 28591}, {"csisolatin1", 28591}, {"ibm819", 28591},
    {"iso-8859-1", 28591}, {"iso-ir-100", 28591}, {"iso8859-1", 28591}, {"iso_8859-1", 28591},
    {"iso_8859-1:1987", 28591}, {"l1", 28591}, {"latin1", 28591}, {"csisolatin2", 28592}, {"iso-8859-2", 28592},
    {"iso-ir-101", 28592}, {"iso8859-2", 28592}, {"iso_8859-2", 28592}, {"iso_8859-2:1987", 28592},
    {"l2", 28592}, {"latin2", 28592}, {"csisolatin3", 28593}, {"iso-8859-3", 28593}, {"iso-ir-109", 28593},
    {"iso8859-3", 28593}, {"iso_8859-3", 28593}, {"iso_8859-3:1988", 28593}, {"l3", 28593}, {"latin3", 28593},
    {"csisolatin4", 28594}, {"iso-8859-4", 28594}, {"iso-ir-110", 28594}, {"iso8859-4", 28594},
    {"iso_8859-4", 28594}, {"iso_8859-4:1988", 28594}, {"l4", 28594}, {"latin4", 28594}, {"csisolatin5", 28595},
    {"csisolatincyrillic", 28595}, {"cyrillic", 28595}, {"iso-8859-5", 28595}, {"iso-ir-144", 28595},
    {"iso8859-5", 28595}, {"iso_8859-5", 28595}, {"iso_8859-5:1988", 28595}, {"arabic", 28596},
    {"csisolatinarabic", 28596}, {"ecma-114", 28596}, {"iso-8859-6", 28596}, {"iso-ir-127", 28596},
    {"iso8859-6", 28596}, {"iso_8859-6", 28596}, {"iso_8859-6:1987", 28596}, {"csisolatingreek", 28597},
    {"ecma-118", 28597}, {"elot_928", 28597}, {"greek", 28597}, {"greek8", 28597}, {"iso-8859-7", 28597},
    {"iso-ir-126", 28597}, {"iso8859-7", 28597}, {"iso_8859-7", 28597}, {"iso_8859-7:1987", 28597},
    {"csisolatinhebrew", 28598}, {"hebrew", 28598}, {"iso-8859-8", 28598}, {"iso-ir-138", 28598},
    {"iso8859-8", 28598}, {"iso_8859-8", 28598}, {"iso_8859-8:1988", 28598}, {"visual", 28598},
    {"iso-8859-9", 28599}, {"iso-ir-148", 28599}, {"iso8859-9", 28599}, {"iso_8859-9", 28599},
    {"iso_8859-9:1989", 28599}, {"l5", 28599}, {"latin5", 28599}, {"iso-8859-13", 28603}, {"iso8859-13", 28603},
    {"iso-8859-15", 28605}, {"iso8859-15", 28605}, {"iso_8859-15", 28605}, {"l9", 28605}, {"latin-9", 28605},
    {"latin9", 28605}, {"x-europa", 29001}, {"iso-8859-8-i", 38598}, {"iso8859-8-i", 38598}, {"logical", 38598},
    {"iso-2022-jp", 50220}, {"_iso-2022-jp", 50221}, {"cp50221", 50221}, {"csiso2022jp", 50221},
    {"iso-2022-jp-ms", 50221}, {"iso2022-jp-ms", 50221}, {"ms50221", 50221}, {"windows-50221", 50221},
    {"_iso-2022-jp$sio", 50222}, {"csiso2022kr", 50225}, {"iso-2022-kr", 50225}, {"iso2022-kr", 50225},
    {"x-cp50227", 50227}, {"cp51932", 51932}, {"ms51932", 51932}, {"windows-51932", 51932}, {"x-euc", 51932},
    {"x-euc-jp", 51932}, {"euc-cn", 51936}, {"x-euc-cn", 51936}, {"cseuckr", 51949}, {"euc-kr", 51949},
    {"hz-gb-2312", 52936}, {"gb18030", 54936}, {"iso-4873:1986", 54936}, {"x-iscii-de", 57002},
    {"x-iscii-be", 57003}, {"x-iscii-ta", 57004}, {"x-iscii-te", 57005}, {"x-iscii-as", 57006},
    {"x-iscii-or", 57007}, {"x-iscii-ka", 57008}, {"x-iscii-ma", 57009}, {"x-iscii-gu", 57010},
    {"x-iscii-pa", 57011}, {"csunicode11utf7", 65000}, {"unicode-1-1-utf-7", 65000}, {"utf-7", 65000},
    {"x-unicode-2-0-utf-7", 65000}, {"cp65001", 65001}, {"unicode-1-1-utf-8", 65001},
    {"unicode-2-0-utf-8", 65001}, {"utf-8", 65001}, {"utf8", 65001}, {"x-unicode-2-0-utf-8", 65001},
};

}  // namespace

char32_t FindXmlEntity(QStringView name)
{
    static const QHash<QStringView, char32_t> table = [] {
        QHash<QStringView, char32_t> t;
        for (const EntityEntry& e : kEntities)
            t.insert(QStringView(e.name), e.codePoint);
        return t;
    }();
    const auto exact = table.constFind(name);
    if (exact != table.constEnd())
        return exact.value();
    const QString lower = FoldXmlName(name);
    return table.value(QStringView(lower), 0);
}

int FindXmlEncoding(QStringView name)
{
    static const QHash<QString, int> table = [] {
        QHash<QString, int> t;
        for (const EncodingEntry& e : kEncodings)
            t.insert(QString::fromLatin1(e.name), e.codePage);
        return t;
    }();
    if (name.isEmpty())
        return 0;
    if (name.size() >= 100)
        return -1;
    // 32-bit little-endian code points; big-endian names fall through to the table.
    if (name.compare(u"UTF-32") == 0 || name.compare(u"UTF-32LE") == 0)
        return 65005;
    return table.value(FoldXmlName(name), -1);
}

const char* XmlIconvName(int codePage)
{
    return codePage == 0 ? "CP1252" : codepage::IconvCodePageName(codePage);
}
