#pragma once

#include "export/labo_export.h"
#include "model/laboratory.h"
#include "web/bridge/scorm.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

struct Scenario;

// antenne-export's command line: what it asks to write, read and checked.
// A usage error is printed with the usage and exits with ExitUsage; --help,
// --version and --list print and exit with 0.

constexpr int ExitUsage = 2;
constexpr int ExitFailure = 1;
extern const char* const ProgramName;

enum class Format { Png, Gif, Page, Labo, Scorm };

struct Options {
    const Scenario* scenario = nullptr;  // null for the page, which holds them all
    QString output;
    Format format = Format::Png;
    int scale = 1;
    std::optional<int> frame;  // PNG: the picture after this tick; the last one if unset
    labo::Laboratory lab;      // labo: the set-up read and run
    LaboFormat laboFormat = LaboFormat::Csv;
    labo::ScormExercise scorm;  // scorm: the exercise's manifest, the page zipped beside it
};

// The web page is written for itself, and inside an exercise's package.
bool WritesPage(Format format);

Options ParseArguments(const QStringList& arguments);

// Text on a terminal, in its encoding.
void Print(std::FILE* out, const QString& text);
