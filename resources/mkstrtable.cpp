// Builds the language table KORVAN10.str from the tab-separated sources in
// resources/strings/. Usage: mkstrtable OUTPUT SOURCE...
//
// Each source starts with a header line naming its columns: ID, Section,
// Reference, then language codes. Lines starting with '#' and blank lines
// are skipped. Every id needs an ENG and a GER text. In texts, \n, \t and \\ stand for a line break, a tab and a
// backslash. A repeated id or a malformed line fails the build.
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kLanguages[] = {"GER", "ENG", "ESP", "FRA", "JPN",  "ITA", "CHINS", "CHINT",
                                  "POR", "RUS", "TUR", "THA", "POL",  "ARA", "CZE"};

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, '\t'))
        cells.push_back(cell);
    if (!line.empty() && line.back() == '\t')
        cells.emplace_back();
    return cells;
}

std::string Unescape(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char c = s[i + 1];
            if (c == 'n') { out += '\n'; ++i; continue; }
            if (c == 't') { out += '\t'; ++i; continue; }
            if (c == '\\') { out += '\\'; ++i; continue; }
        }
        out += s[i];
    }
    return out;
}

struct Row {
    std::string section, reference;
    std::map<std::string, std::string> texts;
};

bool Check(int rc, sqlite3* db, const char* what)
{
    if (rc == SQLITE_OK || rc == SQLITE_DONE)
        return true;
    std::cerr << "mkstrtable: " << what << ": " << sqlite3_errmsg(db) << "\n";
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: mkstrtable OUTPUT SOURCE...\n";
        return 2;
    }
    std::map<long, Row> rows;
    std::map<long, std::string> origin;
    for (int a = 2; a < argc; ++a) {
        std::ifstream in(argv[a]);
        if (!in) {
            std::cerr << argv[a] << ": cannot be read\n";
            return 1;
        }
        std::string line;
        std::vector<std::string> header;
        int lineNo = 0;
        while (std::getline(in, line)) {
            ++lineNo;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.empty() || line[0] == '#')
                continue;
            std::vector<std::string> cells = SplitTabs(line);
            if (header.empty()) {
                header = cells;
                if (header.size() < 4 || header[0] != "ID" || header[1] != "Section" || header[2] != "Reference") {
                    std::cerr << argv[a] << ":" << lineNo << ": header must be ID, Section, Reference, languages\n";
                    return 1;
                }
                for (size_t c = 3; c < header.size(); ++c) {
                    if (std::find(std::begin(kLanguages), std::end(kLanguages), header[c]) == std::end(kLanguages)) {
                        std::cerr << argv[a] << ":" << lineNo << ": unknown language " << header[c] << "\n";
                        return 1;
                    }
                }
                continue;
            }
            if (cells.size() > header.size()) {
                std::cerr << argv[a] << ":" << lineNo << ": more cells than columns\n";
                return 1;
            }
            char* end = nullptr;
            const long id = std::strtol(cells[0].c_str(), &end, 10);
            if (cells[0].empty() || *end != '\0' || id <= 0) {
                std::cerr << argv[a] << ":" << lineNo << ": bad id \"" << cells[0] << "\"\n";
                return 1;
            }
            const std::string where = std::string(argv[a]) + ":" + std::to_string(lineNo);
            if (!origin.emplace(id, where).second) {
                std::cerr << where << ": id " << id << " already defined at " << origin[id] << "\n";
                return 1;
            }
            Row& row = rows[id];
            if (cells.size() > 1) row.section = cells[1];
            if (cells.size() > 2) row.reference = cells[2];
            for (size_t c = 3; c < cells.size(); ++c)
                if (!cells[c].empty())
                    row.texts[header[c]] = Unescape(cells[c]);
            // English and German are the languages we keep complete.
            for (const char* required : {"ENG", "GER"}) {
                if (!row.texts.count(required)) {
                    std::cerr << where << ": id " << id << " has no " << required << " text\n";
                    return 1;
                }
            }
        }
    }

    const std::string output = argv[1];
    const std::string temp = output + ".tmp";
    std::remove(temp.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open(temp.c_str(), &db) != SQLITE_OK) {
        std::cerr << "mkstrtable: cannot create " << temp << "\n";
        return 1;
    }
    std::string create = "CREATE TABLE [tabStrings]([ID] INTEGER NOT NULL UNIQUE, [Reference] TEXT, [Section] TEXT";
    std::string insert = "INSERT INTO [tabStrings]([ID],[Reference],[Section]";
    for (const char* code : kLanguages) {
        create += std::string(", [") + code + "] TEXT";
        insert += std::string(",[") + code + "]";
    }
    create += ");";
    insert += ") VALUES(?,?,?";
    for (size_t i = 0; i < std::size(kLanguages); ++i)
        insert += ",?";
    insert += ");";

    bool ok = Check(sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr), db, "begin")
              && Check(sqlite3_exec(db, create.c_str(), nullptr, nullptr, nullptr), db, "create");
    sqlite3_stmt* stmt = nullptr;
    ok = ok && Check(sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr), db, "prepare");
    for (auto it = rows.begin(); ok && it != rows.end(); ++it) {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        sqlite3_bind_int64(stmt, 1, it->first);
        sqlite3_bind_text(stmt, 2, it->second.reference.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, it->second.section.c_str(), -1, SQLITE_TRANSIENT);
        int index = 4;
        for (const char* code : kLanguages) {
            const auto text = it->second.texts.find(code);
            if (text != it->second.texts.end())
                sqlite3_bind_text(stmt, index, text->second.c_str(), -1, SQLITE_TRANSIENT);
            ++index;
        }
        ok = Check(sqlite3_step(stmt), db, "insert");
    }
    sqlite3_finalize(stmt);
    ok = ok && Check(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
    if (!ok || std::rename(temp.c_str(), output.c_str()) != 0) {
        std::remove(temp.c_str());
        std::cerr << "mkstrtable: could not write " << output << "\n";
        return 1;
    }
    return 0;
}
