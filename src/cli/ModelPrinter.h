#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace kelvadeck {

class DataManager;

// The whole decoded settings model, as readable text and as one JSON object
// that nests the records as the model does and names every field as the code
// does (bMode, arSWScriptNo, cFuncData ...). Script bodies appear for slots
// whose data sector has been loaded.
class ModelPrinter {
public:
    static nlohmann::ordered_json ToJson(const DataManager& dm);
    static std::string ToText(const DataManager& dm);
};

}  // namespace kelvadeck
