#pragma once
// How a card in the main window rates what it shows, and the colour a view
// gives each rating.
#include <string>

namespace velmora {

enum class CardStatus { active, inactive, warning, normal };

inline std::string colorName(CardStatus status) {
    switch (status) {
        case CardStatus::active: return "green";
        case CardStatus::inactive: return "red";
        case CardStatus::warning: return "orange";
        case CardStatus::normal: return "blue";
    }
    return "blue";
}

}  // namespace velmora
