#include <QCommandLineParser>
#include <QCoreApplication>

#include <iostream>

#include "cli/convert_command.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qlx-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QLX_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts a report-definition export into one RTF document per procedure:\n"
                       "DIR/temp1.rtf, temp2.rtf, ... Prints each document's path and caption.\n"
                       "Given a file whose name ends in .rtf, --text or --html writes its text or\n"
                       "HTML page to standard output."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption out_option(
        QStringLiteral("out"),
        QStringLiteral("Write the documents into DIR (default: the viewer's folder)."),
        QStringLiteral("DIR"));
    parser.addOption(out_option);
    const QCommandLineOption text_option(
        QStringLiteral("text"),
        QStringLiteral("Also write each document's text beside it: DIR/tempN.txt (UTF-8)."));
    parser.addOption(text_option);
    const QCommandLineOption html_option(
        QStringLiteral("html"),
        QStringLiteral("Also write each document as a web page beside it: DIR/tempN.html."));
    parser.addOption(html_option);
    parser.addPositionalArgument(QStringLiteral("EXPORT"),
                                 QStringLiteral("The export file (or, with --text or --html, an "
                                                "RTF file)."));

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

    const std::string path = positional.front().toStdString();
    const bool text = parser.isSet(text_option);
    const bool html = parser.isSet(html_option);
    if (qlx::cli::is_rtf_name(path) && (text || html)) {
        if (text && html) {
            std::cerr << "qlx-convert: give one of --text and --html for an RTF file\n";
            return qlx::cli::exit_usage;
        }
        return qlx::cli::run_rtf_output(
            path, text ? qlx::cli::RichTextOutput::text : qlx::cli::RichTextOutput::html, std::cout,
            std::cerr);
    }

    qlx::cli::ConvertOptions options;
    options.export_path = path;
    options.write_text = text;
    options.write_html = html;
    if (parser.isSet(out_option)) {
        options.output_folder = std::filesystem::path(parser.value(out_option).toStdU16String());
    }
    return qlx::cli::run_convert(options, std::cout, std::cerr);
}
