#pragma once

#include "ObservedData.h"

#include <QString>

#include <string>
#include <vector>

// A table of observed counts as read from a CSV or text file: the header
// row's names and the rows' cells, cut by the graph's text supplier. The
// header row shows how: a comma in it makes the file comma-separated, tabs
// without blanks tab-separated, anything else separated by runs of blanks;
// the quote characters (" and ') it holds quote fields. Numbers take "." as
// the decimal separator, or the user's locale's when every decimal number of
// the file uses that one.
class TDataFile {
public:
    // Reads a regular file of at most IniFile's size; one missing throws
    // "Data file '%s' does not exist", one unreadable "... cannot be read".
    static TDataFile Read(const std::string& fileName);
    // The table in `text`; `name` is the file's name as the messages give it.
    static TDataFile FromText(QString text, const std::string& name);

    const std::string& Name() const { return name_; }
    const std::vector<std::string>& Header() const { return header_; }
    // The observed data of the columns named (see ObservedDataFromTable).
    TObservedData Data(const TDataColumns& columns = {}) const;

private:
    std::string name_;
    std::vector<std::string> header_;
    std::vector<TDataRow> rows_;
};
