#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <memory>

#include "core/console_prompter.h"
#include "data/data_folder.h"

namespace agrimor {

class CompanyOpenFailureReport;
class DataAccess;

// What every subcommand of agrimor-batch does before its own work: reading its options, finding
// the data folder, opening the consolidated database and a company's, and answering the
// questions. The texts of wrong arguments are the same in every subcommand.
namespace batch {

// Walks `args`. An option `flag` takes (it returns true) stands alone; an argument that does not
// start with "--" goes to `positional` when one is given; every other argument is an option
// whose value is the next one, handed to `valued`. Each returns what is wrong, or an empty text;
// the first problem stops the walk and is returned.
QString readOptions(const QStringList& args, const std::function<bool(const QString&)>& flag,
                    const std::function<QString(const QString&, const QString&)>& valued,
                    const std::function<QString(const QString&)>& positional = {});

// "opção desconhecida: OPTION"
QString unknownOption(const QString& option);
// A company of the group by its number (1 to 6), or what is wrong with `value`.
QString readCompany(const QString& value, int& bd);
// A month 1 to 12, or what is wrong with `value`.
QString readMonth(const QString& value, int& month);

// The data folder and configuration as the program finds them from `executableFolder`, or those
// of `dataFolder` when one is given.
StartupFiles startupFiles(const QString& executableFolder, const QString& dataFolder);

// The consolidated database of `files`; null, with the reason printed on `err`, when it can not
// be opened.
std::unique_ptr<DataAccess> openConsolidated(const StartupFiles& files, std::FILE* err);

// Company `bd`'s database, opened with its stored parameters. Returns false when the command
// must stop: the parameters are missing (told through `prompter`) or could not be read (printed
// on `err`). A database that can not be reached is reported as `onFailure` says and leaves
// `company` null, for the command to go on as its screen would.
bool openCompany(DataAccess& consolidated, int bd, Prompter& prompter,
                 const CompanyOpenFailureReport& onFailure, std::FILE* err,
                 std::unique_ptr<DataAccess>& company);

// Prints every message on `out` and answers as --yes says, except the question `apart` picks,
// which gets its own answer whatever --yes says.
class BatchPrompter : public Prompter {
public:
    explicit BatchPrompter(bool yes, std::FILE* out = stdout) : answers_(yes, out), out_(out) {}
    void answerApart(std::function<bool(const Prompt&)> question, bool yes) {
        apart_ = std::move(question);
        apartAnswers_ = std::make_unique<ConsolePrompter>(yes, out_);
    }
    Answer ask(const Prompt& prompt) override {
        if (apart_ && apart_(prompt))
            return apartAnswers_->ask(prompt);
        return answers_.ask(prompt);
    }

private:
    ConsolePrompter answers_;
    std::FILE* out_;
    std::function<bool(const Prompt&)> apart_;
    std::unique_ptr<ConsolePrompter> apartAnswers_;
};

}  // namespace batch
}  // namespace agrimor
