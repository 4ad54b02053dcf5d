#include "alarms/alarm_text.h"

#include <regex>

namespace cellwatch::alarms {
namespace {

// A number with its unit, as the monitor writes it.
constexpr const char* kVolts = R"(([0-9.]+) V)";
constexpr const char* kDegrees = R"((-?[0-9]+) °C)";
constexpr const char* kElapsed = R"(([0-9]+:[0-9]{2}:[0-9]{2}))";

std::string run(const std::string& english) {
    return english == "discharge" ? "放电" : "充电";
}

std::string limitWord(Kind kind) {
    return kind == Kind::CellLow || kind == Kind::InputLow ? "下限" : "上限";
}

// "External temperature 51 °C (limit 50 °C)", "internal temperature …",
// or both joined by "; ".
std::string temperatureText(const std::string& english) {
    static const std::regex part(std::string("([Ee]xternal|[Ii]nternal) temperature ") + kDegrees +
                                 R"( \(limit )" + kDegrees + R"(\))");
    std::string out;
    std::size_t begin = 0;
    while (begin <= english.size()) {
        const std::size_t end = std::min(english.find("; ", begin), english.size());
        const std::string piece = english.substr(begin, end - begin);
        std::smatch m;
        if (!std::regex_match(piece, m, part)) {
            return {};
        }
        out += (out.empty() ? "" : "；") + std::string(m[1].str()[1] == 'x' ? "外部" : "内部") +
               "温度 " + m[2].str() + " °C（上限 " + m[3].str() + " °C）";
        begin = end + 2;
    }
    return out;
}

}  // namespace

std::string chineseAlarmText(Kind kind, std::string_view english) {
    const std::string text(english);
    std::smatch m;
    switch (kind) {
        case Kind::CellHigh:
        case Kind::CellLow: {
            static const std::regex form(std::string(R"(Cell ([0-9]+) at )") + kVolts +
                                         R"( \(limit )" + kVolts + R"(\))");
            if (std::regex_match(text, m, form)) {
                return "电芯 " + m[1].str() + " 为 " + m[2].str() + " V（" + limitWord(kind) + " " +
                       m[3].str() + " V）";
            }
            break;
        }
        case Kind::CellSpread: {
            static const std::regex form(
                std::string("Cells ") + kVolts + R"( apart: cell ([0-9]+) at )" + kVolts +
                R"(, cell ([0-9]+) at )" + kVolts + R"( \(limit )" + kVolts + R"(\))");
            if (std::regex_match(text, m, form)) {
                return "电芯压差 " + m[1].str() + " V：电芯 " + m[2].str() + " 为 " + m[3].str() +
                       " V，电芯 " + m[4].str() + " 为 " + m[5].str() + " V（上限 " + m[6].str() +
                       " V）";
            }
            break;
        }
        case Kind::Temperature: {
            std::string chinese = temperatureText(text);
            if (!chinese.empty()) {
                return chinese;
            }
            break;
        }
        case Kind::InputLow: {
            static const std::regex form(std::string("Input at ") + kVolts + R"( \(limit )" +
                                         kVolts + R"(\))");
            if (std::regex_match(text, m, form)) {
                return "输入电压 " + m[1].str() + " V（下限 " + m[2].str() + " V）";
            }
            break;
        }
        case Kind::Finished: {
            static const std::regex form(std::string("The (charge|discharge) finished after ") +
                                         kElapsed +
                                         R"( \(no charging or discharging for ([0-9]+) s\))");
            if (std::regex_match(text, m, form)) {
                return run(m[1].str()) + "已结束，用时 " + m[2].str() + "（" + m[3].str() +
                       " 秒无充放电）";
            }
            break;
        }
        case Kind::Stalled: {
            static const std::regex form(std::string(R"(No new row for ([0-9]+) s while the )") +
                                         "(charge|discharge)" + R"( was running \(last row at )" +
                                         kElapsed + R"(\))");
            if (std::regex_match(text, m, form)) {
                return run(m[2].str()) + "进行中 " + m[1].str() + " 秒没有新数据（最后一行在 " +
                       m[3].str() + "）";
            }
            break;
        }
        case Kind::Lost: {
            static const std::regex form(std::string("Link lost during the (charge|discharge), "
                                                     "last row at ") +
                                         kElapsed + "(: (.*))?");
            if (std::regex_match(text, m, form)) {
                std::string chinese = run(m[1].str()) + "中连接中断，最后一行在 " + m[2].str();
                if (m[3].matched) {
                    chinese += "：" + m[4].str();
                }
                return chinese;
            }
            break;
        }
    }
    return text;
}

}  // namespace cellwatch::alarms
