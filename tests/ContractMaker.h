// What a contract table is instantiated with: one implementation of an interface, made fresh
// for every case, and the name the test names end with ("Simulated", "Win32", ...).
#pragma once

#include <memory>
#include <ostream>

namespace sayvane::testing {

template <typename Interface>
struct ContractMaker {
    const char* name;
    std::unique_ptr<Interface> (*make)();
    friend void PrintTo(const ContractMaker& maker, std::ostream* os) { *os << maker.name; }
};

template <typename Interface, typename Implementation>
ContractMaker<Interface> MakeContractCase(const char* name) {
    return {name, [] { return std::unique_ptr<Interface>(std::make_unique<Implementation>()); }};
}

}  // namespace sayvane::testing
