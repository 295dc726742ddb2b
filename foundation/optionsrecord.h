#pragma once

#include <QString>

#include <vector>

class TopicDisplaySource;

/// @short The retrieval settings: the retrieval function (0 to 9) with its
/// parameters and codes, the sort order and further flags and numbers.
///
/// Two text forms of decimal integers joined by "|" (booleans 1 or 0): the
/// long form L1 to L27 (the frame's settings, kept in the profile) and the
/// short form S1 to S12 followed by "|||" and "|id" per code (the project's
/// settings). Missing trailing values keep their values; a value that is not
/// an integer, or lies outside its field's range, is refused and its field
/// keeps its value. The meanings of the fields without a descriptive name
/// belong to the retrieval windows that read them.
class OptionsRecord {
public:
    // Long form, in order of their place there (Ln).
    qint32 hitExtent = 0;          ///< L1: autocoded extent of a search hit: 0 hit, 1 sentence, 2 paragraph
    qint32 paragraphsBefore = 0;   ///< L2: with extent 2, paragraphs before the hit's one (0 to 100)
    qint32 l3 = 0;
    bool l4 = false;
    qint32 sortOrder = 1;          ///< L5: 1, 2 or 3
    qint32 retrievalFunction = 0;  ///< L6: 0 to 9
    bool weightFilter = false;     ///< L7: codings with a weight outside L8 to L9 are left out
    qint32 weightMinimum = 1;      ///< L8
    qint32 weightMaximum = 100;    ///< L9
    qint32 l10 = 0;
    bool exchangeVariables = true;  ///< L11: the exchange import copies document variables
    bool exchangeCodings = true;    ///< L12: ... merges codes and codings
    bool exchangeMemos = true;      ///< L13: ... merges memos
    bool l14 = true;
    bool l15 = false;
    bool l16 = false;
    bool exchangeProtocol = true;   ///< L17: ... writes and opens its protocol
    bool l18 = false;
    bool l19 = false;
    qint32 l20 = 20;
    qint32 paragraphsAfter = 0;    ///< L21: with extent 2, paragraphs after the hit's one (0 to 100)
    bool l22 = true;
    qint32 exchangeCodingMode = 0;  ///< L23: ... meets overlapping codings so (0 to 3)
    bool exchangeLinks = true;      ///< L24: ... copies external links
    qint32 l25 = 0;
    qint32 l26 = 100;
    qint32 l27 = 10;

    // Short form (Sn).
    qint32 minCount = 2;           ///< S1: function 4, never below 2
    qint32 codeA = 0;              ///< S2: code of function 5
    qint32 enclosingCode = 0;      ///< S3: code of function 6
    qint32 enclosingVariant = 1;   ///< S4
    qint32 excludedCode = 0;       ///< S5: code of function 7
    qint32 s6 = 1;                 ///< S6: 0 after reading a short form with text after S12
    qint32 followingCode = 0;      ///< S7: code of function 8
    qint32 followingDistance = 0;  ///< S8: number of function 8
    qint32 followingVariant = 1;   ///< S9
    qint32 nearCode = 0;           ///< S10: code of function 9
    qint32 nearDistance = 0;       ///< S11: number of function 9
    qint32 nearVariant = 1;        ///< S12

    std::vector<qint32> codeIds;   ///< the codes that functions 1 and 2 combine
    qint32 documentCode = 0;       ///< kept by neither text form

    /// The database that names codes in Describe; none by default.
    void SetDatabase(const TopicDisplaySource* database) { m_database = database; }

    /// Copies L1 to L6, L21, S1 to S12, L7 to L10, the database and the
    /// code ids; the other long-form values stay.
    void Copy(const OptionsRecord& other);

    QString Format(bool longForm) const;
    void Parse(const QString& text, bool longForm);

    /// The name of a retrieval function (-1: the current one), with its
    /// parameters when detail is set; empty outside 0 to 9.
    QString Describe(bool detail, int function = -1) const;
    /// The short text of a retrieval function (-1: the current one).
    QString GetFunctionName(int function = -1) const;

private:
    const TopicDisplaySource* m_database = nullptr;
};
