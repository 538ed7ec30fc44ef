#pragma once
// Building configuration trees in tests.

#include <memory>
#include <string>

#include "config/cfgitem.h"

// Appends a new item of type T named `name` to the folder and returns it.
template <class T>
T* Add(CCfgProcFolder& folder, const std::string& name) {
    auto* item = static_cast<T*>(folder.Append(std::make_unique<T>()));
    item->name = name;
    return item;
}
