#include "check/carry/CarryJournal.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "check/carry/DurableFile.h"
#include "check/carry/JournalFolder.h"

namespace vantrok::check {

namespace {

// One line an entry: "2016-11-24 7 1480000000 INV/C9/241116/1", the number
// last as it is the only field that might hold a blank.
std::string entryLine(const JournalEntry& entry) {
    return isoText(entry.day) + ' ' + std::to_string(entry.deliveryId) + ' ' + std::to_string(entry.checkAfter) +
           ' ' + entry.voucher + '\n';
}

bool parseNumber(std::string_view text, std::int64_t& value) {
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    return parsed.ec == std::errc{} && parsed.ptr == text.data() + text.size();
}

std::optional<JournalEntry> parseEntry(std::string_view line) {
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        const std::size_t blank = line.find(' ');
        if (blank == std::string_view::npos) return std::nullopt;
        field = line.substr(0, blank);
        line.remove_prefix(blank + 1);
    }
    JournalEntry entry;
    const auto day = parseIsoDay(fields[0]);
    if (!day || !parseNumber(fields[1], entry.deliveryId) || !parseNumber(fields[2], entry.checkAfter) ||
        line.empty())
        return std::nullopt;
    entry.day = *day;
    entry.voucher = std::string(line);
    return entry;
}

// The value of a connection text's key, or "".
std::string keyValue(const std::string& text, std::string_view key) {
    std::istringstream pairs(text);
    for (std::string pair; std::getline(pairs, pair, ';');) {
        const std::size_t equals = pair.find('=');
        if (equals != key.size()) continue;
        if (std::equal(key.begin(), key.end(), pair.begin(),
                       [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                   std::tolower(static_cast<unsigned char>(b)); }))
            return pair.substr(equals + 1);
    }
    return {};
}

// A name any file system takes.
std::string fileNamePart(std::string text) {
    for (char& c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
    return text;
}

}  // namespace

CarryJournal::CarryJournal(std::filesystem::path file) : file_(std::move(file)), lock_(file_) {
    std::ifstream in(file_, std::ios::binary);
    if (!in) {
        if (std::filesystem::exists(file_)) throw std::runtime_error("cannot read carry's journal " + file_.string());
        return;
    }
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const auto entry = parseEntry(line);
        if (!entry)
            throw std::runtime_error("carry's journal " + file_.string() + " is damaged at line " +
                                     std::to_string(number));
        entries_.push_back(*entry);
    }
}

void CarryJournal::add(JournalEntry entry) {
    if (entry.voucher.empty() || entry.voucher.find_first_of("\r\n") != std::string::npos)
        throw std::runtime_error("an invoice number carry's journal cannot hold: '" + entry.voucher + "'");
    entries_.push_back(std::move(entry));
    try {
        save();
    } catch (...) {
        entries_.pop_back();
        throw;
    }
}

void CarryJournal::remove(const JournalEntry& entry) {
    const auto found = std::find(entries_.begin(), entries_.end(), entry);
    if (found == entries_.end()) return;
    entries_.erase(found);
    save();
}

void CarryJournal::replace(const JournalEntry& old, JournalEntry now) {
    const auto found = std::find(entries_.begin(), entries_.end(), old);
    if (found == entries_.end()) return add(std::move(now));
    *found = std::move(now);
    save();
}

void CarryJournal::save() const {
    std::string content;
    for (const JournalEntry& entry : entries_) content += entryLine(entry);
    writeFileDurably(file_, content);
}

std::filesystem::path stationJournalFile(const std::string& salesConnectionText,
                                         const std::string& controllerConnectionText) {
    const std::string name = fileNamePart(keyValue(salesConnectionText, "server")) + '-' +
                             fileNamePart(keyValue(salesConnectionText, "database")) + '-' +
                             fileNamePart(keyValue(controllerConnectionText, "database")) + ".carry-journal";
    return journalFolder() / name;
}

std::int64_t unixNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace vantrok::check
