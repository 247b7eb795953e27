#pragma once

// Store files: the messages a simulated phone starts with, and the dump of its
// stores that it rewrites after every change.
//
// A store file holds one message per line, either "HEX" (into the lowest free
// slot) or "SLOT HEX", HEX being the PDU as AT+CMGR prints it, service-centre
// field first. Blank lines and lines whose first non-blank character is "#"
// are ignored. A dump holds one line "STORE SLOT HEX" per message.

#include <string>
#include <string_view>

#include "phonesim/message_store.h"

namespace mivex::phonesim {

struct LoadResult {
    bool ok = false;
    std::string error;  // "FILE:LINE: reason" when not ok
};

// Adds the messages of `text` to `store` as received and unread; `fileName`
// only names the file in an error. On an error the store keeps the lines
// before the bad one.
[[nodiscard]] LoadResult LoadStoreText(std::string_view text, std::string_view fileName,
                                       MessageStore& store);

// Reads the file at `path` and loads it as LoadStoreText does.
[[nodiscard]] LoadResult LoadStoreFile(const std::string& path, MessageStore& store);

// The dump of both stores: "ME" slots in order, then "SM" slots.
[[nodiscard]] std::string FormatStoreDump(const PhoneStores& stores);

// Replaces the file at `path` with `contents` through a temporary file in the
// same folder and a rename, so a reader never sees half a file. False with
// `error` set when that failed; the old file is then left as it was.
[[nodiscard]] bool ReplaceFile(const std::string& path, std::string_view contents,
                               std::string& error);

}  // namespace mivex::phonesim
