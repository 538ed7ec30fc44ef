// Reading one "--name=value" or "--name value" option of a command line.

#include "apps/vantrel/options.h"

namespace vantrel {

bool TakeOption(const std::vector<std::string>& args, size_t& i,
                const std::function<bool(const std::string&)>& takesValue, std::string& name,
                std::string& value, std::string& error) {
    const std::string& a = args[i];
    name = a;
    value.clear();
    bool inlineValue = false;
    if (const size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
        name = a.substr(0, eq);
        value = a.substr(eq + 1);
        inlineValue = true;
    }
    if (!takesValue(name)) {
        error = a.rfind("-", 0) == 0 ? "unknown option " + a : "unexpected argument " + a;
        return false;
    }
    if (!inlineValue) {
        if (i + 1 >= args.size()) {
            error = name + " needs a value";
            return false;
        }
        value = args[++i];
    }
    if (value.empty()) {
        error = name + " needs a value";
        return false;
    }
    return true;
}

}  // namespace vantrel
