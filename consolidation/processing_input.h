#pragma once

#include <QList>
#include <QString>

namespace agrimor {

// One ticked company of the processing tab.
struct CompanyTab {
    int bd = 0;
    QString caption;  // the tab caption as shown; messages trim it where the program does
};

// What the processing tab holds when one of its commands is pressed.
struct ProcessingInput {
    QString yearText;             // the year field as typed
    int month = 0;                // 1..12; 0 when no month is selected
    QList<CompanyTab> companies;  // the ticked companies, in tab order

    bool fieldsFilled() const { return !yearText.isEmpty() && month >= 1 && month <= 12; }
};

// The months a command works on: the chosen month only, or months 1 to it (cumulative).
struct Period {
    int year = 0;
    int month = 0;
    bool cumulative = false;
};

// The year field as a number: digits with optional surrounding spaces, within a 16-bit integer.
// Anything else throws ConsolidationError.
int parseYear(const QString& yearText);

}  // namespace agrimor
