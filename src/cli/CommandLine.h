#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

namespace quarvel {

/**
 * The command line: `quarvel analyse TABLE.dbf [TABLE.dbf ...] [options]` analyses tables
 * without a display and writes exactly the files the windows write for the same table and
 * field. Returns the exit status: 0 when every table succeeded, 1 when any was refused or
 * failed (the others still run), 2 for wrong usage, 130 after Ctrl+C.
 */
class CommandLine {
public:
    CommandLine(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}

    /** The arguments after the program's name. */
    int run(const QStringList& arguments);

    /** Whether a lone argument is a command ("analyse", "--help", an option), not a table. */
    static bool isCommand(const QString& argument);

    /** Whether these arguments need painting (a picture or a map is asked for). */
    static bool needsPainting(const QStringList& arguments);

private:
    std::FILE* out_;
    std::FILE* err_;
};

/** The whole program when it is started with arguments: sets up Qt and runs the command. */
int CommandLineMain(int argc, char* argv[]);

} // namespace quarvel
