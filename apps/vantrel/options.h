#pragma once
// One option of a command line: "--name=value", "--name value", or a lone
// word that is no option the command knows.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

// Reads the option at args[i] into name and value; i moves on past a value
// given as the next word. takesValue says which names a command knows. False,
// with error set, for an unknown option or word and for a missing or empty
// value.
bool TakeOption(const std::vector<std::string>& args, size_t& i,
                const std::function<bool(const std::string&)>& takesValue, std::string& name,
                std::string& value, std::string& error);

// An option's number: the whole text a finite decimal, locale-free.
bool Number(const std::string& text, double& v);

}  // namespace vantrel
