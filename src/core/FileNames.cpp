#include "core/FileNames.h"

#include <algorithm>
#include <optional>

namespace vireo {

namespace {

// Position of the full stop that starts the extension, if the file-name part has one.
std::optional<std::size_t> extensionDot(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    const std::size_t slash = name.rfind('/');
    if (slash != std::string_view::npos && slash > dot)
        return std::nullopt;
    return dot;
}

std::string_view extensionOf(std::string_view name)
{
    const auto dot = extensionDot(name);
    return dot ? name.substr(*dot + 1) : std::string_view{};
}

std::string withExtension(std::string_view name, std::string_view extension)
{
    const auto dot = extensionDot(name);
    std::string result(name.substr(0, dot.value_or(name.size())));
    result += '.';
    result += extension;
    return result;
}

} // namespace

std::string logSaveFileName(std::string_view chosen, std::string_view chosenType)
{
    const auto kept = [](std::string_view extension) {
        return extension == "xls" || extension == "txt" || extension == "xml" || extension == "csv";
    };
    const std::string_view extension = extensionOf(chosen);
    if (kept(extension))
        return std::string(chosen);
    if (extension.empty() && kept(chosenType))
        return withExtension(chosen, chosenType);
    return withExtension(chosen, "xls");
}

namespace {

bool hasExtensionInAnyCase(std::string_view name, std::string_view lowerExtension)
{
    const std::string_view extension = extensionOf(name);
    return extension.size() == lowerExtension.size() &&
           std::equal(
               extension.begin(), extension.end(), lowerExtension.begin(),
               [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

} // namespace

bool isXmlLogFileName(std::string_view name)
{
    return hasExtensionInAnyCase(name, "xml");
}

bool isCsvLogFileName(std::string_view name)
{
    return hasExtensionInAnyCase(name, "csv");
}

std::string pictureSaveFileName(std::string_view chosen)
{
    if (extensionOf(chosen) == "bmp")
        return std::string(chosen);
    return withExtension(chosen, "bmp");
}

} // namespace vireo
