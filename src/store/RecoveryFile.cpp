#include "store/RecoveryFile.h"

#include "core/LogFileCsv.h"

#include <cstdlib>
#include <ctime>

#include <pwd.h>
#include <unistd.h>

namespace vireo {

namespace {

std::string homeFolder()
{
    if (const char *home = std::getenv("HOME"); home != nullptr && *home == '/')
        return home;
    struct passwd entry {};
    struct passwd *found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr)
        return found->pw_dir;
    return "/tmp";
}

// run-20261209-174203-4711.csv: when the run's file was made, and by which process.
std::string runFileName()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char moment[32] = "00000000-000000";
    if (::localtime_r(&now, &local) != nullptr)
        std::strftime(moment, sizeof moment, "%Y%m%d-%H%M%S", &local);
    return "run-" + std::string(moment) + '-' + std::to_string(::getpid()) + ".csv";
}

} // namespace

std::string RecoveryFile::defaultFolder()
{
    const char *state = std::getenv("XDG_STATE_HOME");
    const std::string base =
        state != nullptr && *state == '/' ? std::string(state) : homeFolder() + "/.local/state";
    return base + "/vireo-link";
}

RecoveryFile::RecoveryFile(std::string folder, std::function<void(const DurableError &)> onError)
    : m_folder(std::move(folder)), m_onError(std::move(onError))
{
}

RecoveryFile::~RecoveryFile()
{
    finish();
}

void RecoveryFile::addRow(const LogRow &row, std::string_view decimalSep)
{
    if (!m_file) {
        std::string header;
        appendLogCsvHeader(header);
        m_file = std::make_unique<DurableFile>(DurableFile::Options{
            .path = m_folder + '/' + runFileName(),
            .start = DurableFile::Start::New,
            .header = std::move(header),
            .lock = true,
            .makeFolders = true,
            .onError = m_onError,
        });
    }
    m_line.clear();
    appendLogCsvRow(row, decimalSep, m_line);
    m_file->append(m_line);
    ++m_unsavedRows;
}

void RecoveryFile::startAfresh()
{
    if (m_file)
        m_file->startAfresh();
    m_unsavedRows = 0;
}

void RecoveryFile::whenRowsSafe(std::function<void()> action)
{
    if (m_file)
        m_file->whenDurable(std::move(action));
    else
        action();
}

void RecoveryFile::finish()
{
    if (!m_file)
        return;
    m_file->close(m_unsavedRows == 0 ? DurableFile::Ending::Remove : DurableFile::Ending::Keep);
    m_file.reset();
}

std::string RecoveryFile::path() const
{
    return m_file ? m_file->path() : std::string();
}

} // namespace vireo
