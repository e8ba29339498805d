// The update check, built as a module of its own (update_check_module.h) so that Qt and
// libcurl are loaded only by the run that asks for it.

#include "app/cli/update_check_module.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <memory>
#include <optional>
#include <variant>

#include "app/cli/check_update.h"
#include "platform/net/download.h"
#include "update/check.h"
#include "update/verdict_message.h"

extern "C" int vantrelle_cli_check_update(const vantrelle::cli::CommandLine& line,
                                          std::ostream& out, std::ostream& /*console*/) {
    using namespace vantrelle;
    using namespace vantrelle::cli;
    // The download is delivered through an event loop, which needs an application; a
    // caller that already runs one (a test) keeps it.
    static int argc = 1;
    static char name[] = "vantrelle-cli";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> application;
    if (QCoreApplication::instance() == nullptr) {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }

    const Language language = line.farsi ? Language::Farsi : Language::English;
    std::optional<update::Message> message;
    bool succeeded = false;
    QEventLoop loop;
    const std::unique_ptr<net::Download> download = net::AsyncRead(
        line.update_url.empty() ? update::UpdateUrl() : line.update_url,
        [&](const net::AsyncProperty& property) {
            const update::UpdateVerdict verdict = update::CheckVerdict(property.Value());
            succeeded = std::holds_alternative<update::UpToDate>(verdict) ||
                        std::holds_alternative<update::NewerAvailable>(verdict);
            message = update::CheckMessage(property.Value(), language);
            loop.quit();
        });
    // The download always completes, at the latest when its total limit runs out.
    while (!message) {
        loop.exec();
    }

    out << TerminalLines(message->text);
    return succeeded ? 0 : 1;
}
