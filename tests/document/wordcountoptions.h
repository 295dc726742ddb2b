#pragma once

#include "foundation/ids.h"
#include "foundation/options.h"

#include <QString>

namespace doctest {

/// The dictionary options the word tests count with: separators
/// ,.;:!?"() and case folded. Set while it lives, restored after.
class WordCountOptions {
public:
    WordCountOptions()
    {
        BuildOptionDefinitions();
        m_separators = g_dictioOptions.GetString(DictioOption::WordSeparators);
        m_caseSensitive = g_dictioOptions.GetString(DictioOption::CaseSensitive);
        g_dictioOptions.SetValueText(DictioOption::WordSeparators, QStringLiteral(",.;:!?\"()"));
        g_dictioOptions.SetValueText(DictioOption::CaseSensitive, QStringLiteral("0"));
    }
    ~WordCountOptions()
    {
        g_dictioOptions.SetValueText(DictioOption::WordSeparators, m_separators);
        g_dictioOptions.SetValueText(DictioOption::CaseSensitive, m_caseSensitive);
    }
    WordCountOptions(const WordCountOptions&) = delete;
    WordCountOptions& operator=(const WordCountOptions&) = delete;

private:
    QString m_separators, m_caseSensitive;
};

}  // namespace doctest
