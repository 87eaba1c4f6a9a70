#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Readers shared by the package's table files: records, fields and numbers.
// Splitting keeps the empty pieces a split produces ("a;" gives "a" and ""),
// so callers decide which records are too short to use.
namespace DataFiles {

// Pieces of text between every occurrence of a (non-empty) separator.
std::vector<std::string> splitAt(const std::string& text, const std::string& separator);

// Records ended by CR LF only; a lone CR or LF stays inside its record.
std::vector<std::string> crlfRecords(const std::string& text);

// Records ended by any line break (CR LF, CR, LF) or by ";".
std::vector<std::string> looseRecords(const std::string& text);

// Fields of one record split at every tab; adjacent tabs give empty fields.
std::vector<std::string> tabFields(const std::string& record);

// Fields of one record split at tabs with every empty field dropped, so runs of
// tabs count as one separator and leading or trailing tabs are ignored.
std::vector<std::string> nonEmptyTabFields(const std::string& record);

// Lenient integer: optional blanks and sign, digits up to the first other
// character, "0x" or "0X" for hexadecimal. Nothing readable gives 0.
std::int64_t readInt(const std::string& field);

// A decimal number: optional blanks and sign, digits with an optional point and
// exponent, trailing text ignored. Anything else, "inf" and "nan" included,
// gives NaN, so a table can never smuggle an infinity in.
double readDecimal(const std::string& field);

}  // namespace DataFiles
