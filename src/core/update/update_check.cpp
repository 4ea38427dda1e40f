// Version texts are plain numbers now: the host's bytes are never shown or compared as free text.
#include "core/update/update_check.h"

#include <string>
#include <vector>

namespace morvalen::core {
namespace {

constexpr std::size_t largest_group_digits = 9;  // fits an int32 whatever the digits

std::optional<std::vector<long>> version_groups(std::string_view text) {
    std::vector<long> groups;
    std::size_t i = 0;
    while (true) {
        const std::size_t start = i;
        long value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') value = value * 10 + (text[i++] - '0');
        if (i == start || i - start > largest_group_digits) return std::nullopt;
        groups.push_back(value);
        if (i == text.size()) break;
        if (text[i] != '.' || groups.size() == 4) return std::nullopt;
        ++i;
    }
    return groups;
}

std::string_view without_line_break(std::string_view text) {
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    return text;
}

std::string_view file_name_of(SignedFile file) {
    return (file == SignedFile::version_text ? version_file_path : update_archive_path).substr(1);
}

}  // namespace

std::optional<std::string> plain_version(std::string_view text) {
    text = without_line_break(text);
    if (!version_groups(text)) return std::nullopt;
    return std::string(text);
}

bool offers_update(std::string_view fetched_version, std::string_view own) {
    const auto fetched = version_groups(without_line_break(fetched_version));
    const auto mine = version_groups(own);
    if (!fetched || !mine) return false;
    for (std::size_t g = 0; g < 4; ++g) {
        const long a = g < fetched->size() ? (*fetched)[g] : 0;
        const long b = g < mine->size() ? (*mine)[g] : 0;
        if (a != b) return a > b;
    }
    return false;
}

std::string_view version_text(std::string_view body) { return body.substr(0, version_text_limit); }

std::string after_download_text(std::string_view saved_name, std::string_view version, std::string_view saved_path) {
    return "Получен архивный файл " + std::string(saved_name) + " с новой версией программы" + std::string(version) +
           "\rФайл сохранён: " + std::string(saved_path);
}

std::string update_address(std::string_view host, std::string_view path) {
    while (!host.empty() && host.back() == '/') host.remove_suffix(1);
    return std::string(host) + std::string(path);
}

std::string trusted_comment_for(std::string_view file, std::string_view version) {
    return "file:" + std::string(file) + " version:" + std::string(version);
}

std::optional<SignedFor> signed_for(std::string_view trusted_comment) {
    std::optional<std::string> file;
    std::optional<std::string> version;
    while (!trusted_comment.empty()) {
        const auto end = trusted_comment.find_first_of(" \t");
        const std::string_view field = trusted_comment.substr(0, end);
        const auto take = [&](std::string_view key, std::optional<std::string>& into) {
            if (field.substr(0, key.size()) != key) return true;
            if (into) return false;  // a field named twice is ambiguous
            into = std::string(field.substr(key.size()));
            return true;
        };
        if (!take("file:", file) || !take("version:", version)) return std::nullopt;
        if (end == std::string_view::npos) break;
        trusted_comment.remove_prefix(end + 1);
    }
    if (!file || !version) return std::nullopt;
    return SignedFor{*file, *version};
}

std::string signature_refusal(SignedFile file, SignatureCheck check, std::string_view trusted_comment,
                              std::string_view version) {
    const bool archive = file == SignedFile::archive;
    const std::string ending = archive ? " Файл не сохранён." : " Обновление не предлагается.";
    const std::string what = archive ? "архива новой версии" : "номера новой версии";
    switch (check) {
        case SignatureCheck::missing:
            return (archive ? "Архив новой версии не подписан." : "Номер новой версии не подписан.") + ending;
        case SignatureCheck::malformed:
            return "Подпись " + what + " повреждена." + ending;
        case SignatureCheck::unknown_key:
            return "Подпись " + what + " сделана неизвестным ключом." + ending;
        case SignatureCheck::forged:
            return "Подпись " + what + " не подтверждена: файл подделан или повреждён." + ending;
        case SignatureCheck::valid:
            break;
    }
    const auto signed_as = signed_for(trusted_comment);
    if (!signed_as || signed_as->file != file_name_of(file))
        return "Подпись " + what + " сделана для другого файла." + ending;
    if (signed_as->version != version) {
        const std::string shown = plain_version(signed_as->version).value_or("?");
        return (archive ? "Архив подписан для версии " : "Номер подписан для версии ") + shown +
               ", а предложена версия " + std::string(version) + "." + ending;
    }
    return {};
}

std::string download_failure_text(std::string_view reason) {
    return "Не удалось загрузить архив новой версии: " + std::string(reason) + ". Файл не сохранён.";
}

std::string archive_too_large_reason() {
    return "архив больше " + std::to_string(update_archive_limit >> 20) + " МБ, наибольшего размера обновления";
}

std::string archive_write_failure_text(std::string_view folder) {
    return "Невозможно записать архив новой версии в папку " + std::string(folder) + ".";
}

}  // namespace morvalen::core
