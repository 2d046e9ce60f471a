#include "FlashCards.h"

#include "CeFlashCard.h"

namespace norvane {

std::vector<std::wstring> FlashCardNames() {
    std::vector<std::wstring> cards;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFlashCard(&data);
    if (find == INVALID_HANDLE_VALUE) {
        return cards;
    }
    do {
        cards.emplace_back(data.cFileName);
    } while (FindNextFlashCard(find, &data));
    FindClose(find);
    return cards;
}

} // namespace norvane
