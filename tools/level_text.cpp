#include "tools/level_text.h"

#include "engine/asset_format.h"

#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

namespace {

const float cellSize = 32.0f;

std::string trimmed(const std::string& line) {
    size_t begin = line.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    size_t end = line.find_last_not_of(" \t\r");
    return line.substr(begin, end - begin + 1);
}

struct Layer {
    int height = 0;
    int firstLine = 0;
    std::vector<std::string> rows;
};

bool addLayer(const Layer& layer, std::set<int>& heights, std::vector<LevelPoint>& points, std::string& error) {
    std::string where = "layer at line " + std::to_string(layer.firstLine);
    if (layer.rows.empty()) {
        error = where + " has no rows";
        return false;
    }
    if (!heights.insert(layer.height).second) {
        error = where + " repeats height " + std::to_string(layer.height);
        return false;
    }
    size_t width = layer.rows[0].size();
    if (layer.rows.size() % 2 == 0 || width % 2 == 0) {
        error = where + " needs an odd number of rows and columns";
        return false;
    }
    int halfRows = static_cast<int>(layer.rows.size() / 2), halfColumns = static_cast<int>(width / 2);
    for (size_t r = 0; r < layer.rows.size(); ++r) {
        if (layer.rows[r].size() != width) {
            error = where + ": rows differ in length";
            return false;
        }
        for (size_t c = 0; c < width; ++c) {
            char cell = layer.rows[r][c];
            if (cell == '.') continue;
            if (cell != 'o') {
                error = where + ": unknown cell '" + std::string(1, cell) + "'";
                return false;
            }
            points.push_back({(static_cast<int>(c) - halfColumns) * cellSize,
                              (halfRows - static_cast<int>(r)) * cellSize, layer.height * cellSize});
        }
    }
    return true;
}

void appendFloat(std::vector<unsigned char>& out, float value) {
    int32_t bits;
    std::memcpy(&bits, &value, 4);
    appendInt32LE(out, bits);
}

} // namespace

bool parseLevelText(const std::string& text, std::vector<LevelPoint>& points, std::string& error) {
    points.clear();
    std::set<int> heights;
    std::istringstream lines(text);
    std::string raw;
    Layer layer;
    bool inLayer = false;
    int lineNumber = 0;
    while (std::getline(lines, raw)) {
        ++lineNumber;
        std::string line = trimmed(raw);
        if (line.empty() || line[0] == '#') continue;
        if (line.compare(0, 6, "layer ") == 0) {
            if (inLayer && !addLayer(layer, heights, points, error)) return false;
            layer = Layer();
            std::istringstream number(line.substr(6));
            if (!(number >> layer.height) || layer.height < -64 || layer.height > 64) {
                error = "line " + std::to_string(lineNumber) + ": bad layer height";
                return false;
            }
            layer.firstLine = lineNumber;
            inLayer = true;
            continue;
        }
        if (!inLayer) {
            error = "line " + std::to_string(lineNumber) + ": row before the first layer";
            return false;
        }
        layer.rows.push_back(line);
    }
    if (inLayer && !addLayer(layer, heights, points, error)) return false;
    if (points.empty()) {
        error = "level has no blocks";
        return false;
    }
    if (points.size() > static_cast<size_t>(maxLevelBlocks)) {
        error = "level has " + std::to_string(points.size()) + " blocks, more than " + std::to_string(maxLevelBlocks);
        return false;
    }
    return true;
}

std::vector<unsigned char> encodeLevel(const std::vector<LevelPoint>& points) {
    std::vector<unsigned char> out;
    appendInt32LE(out, static_cast<int32_t>(points.size()));
    for (const LevelPoint& p : points)
        for (float v : p) appendFloat(out, v);
    return out;
}

bool generateLevels(const std::string& sourceDir, std::vector<PackAsset>& out, std::string& error) {
    for (int n = 1; n <= levelCount; ++n) {
        std::string path = sourceDir + "/data/levels/" + std::to_string(n) + ".txt";
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            error = "cannot read " + path;
            return false;
        }
        std::stringstream text;
        text << file.rdbuf();
        std::vector<LevelPoint> points;
        if (!parseLevelText(text.str(), points, error)) {
            error = path + ": " + error;
            return false;
        }
        out.push_back({"levels\\" + std::to_string(n) + ".blvl", encodeLevel(points)});
    }
    return true;
}
