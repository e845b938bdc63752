#include <QCommandLineParser>
#include <QCoreApplication>

#include <iostream>

#include "cli/convert_command.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qlx-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QLX_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts a report-definition export into one RTF document per procedure:\n"
        "DIR/temp1.rtf, temp2.rtf, ... Prints each document's path and caption."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption out_option(
        QStringLiteral("out"), QStringLiteral("Write the documents into DIR (default: the viewer's folder)."),
        QStringLiteral("DIR"));
    parser.addOption(out_option);
    parser.addPositionalArgument(QStringLiteral("EXPORT"), QStringLiteral("The export file."));

    if (!parser.parse(QCoreApplication::arguments())) {
        std::cerr << "qlx-convert: " << parser.errorText().toStdString() << '\n'
                  << "Try 'qlx-convert --help'.\n";
        return qlx::cli::exit_usage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::cout << parser.helpText().toStdString();
        return qlx::cli::exit_ok;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        std::cerr << "qlx-convert: give exactly one export file\n"
                  << "Try 'qlx-convert --help'.\n";
        return qlx::cli::exit_usage;
    }

    qlx::cli::ConvertOptions options;
    options.export_path = positional.front().toStdString();
    if (parser.isSet(out_option)) {
        options.output_folder = std::filesystem::path(parser.value(out_option).toStdU16String());
    }
    return qlx::cli::run_convert(options, std::cout, std::cerr);
}
