#pragma once
// The record for a spreadsheet: every urge passed, slip and attempt line of
// the journal, in its order, as CSV (RFC 4180: comma-separated, CR LF line
// ends, a field with a comma, a double quote or a line break in double
// quotes, a double quote doubled), UTF-8, with a header line. Nothing else
// of the journal is written: not its notices, not a line that does not read.
#include <string>
#include <vector>

#include "records/journal.h"

namespace kemless {

// 日時,種類,きっかけ,卒煙開始日時
std::string JournalCsv(const std::vector<JournalEvent>& journal);

// One field as CSV holds it. A text a spreadsheet would take for a formula
// (one beginning with =, +, -, @, a tab or a CR) gets a ' in front, so
// opening the file runs nothing.
std::string CsvField(std::string_view text);

}  // namespace kemless
