// The spell check of the notebook's comments from the menu: switching it
// on and off, adding the marked words to the user's list, and marking
// again after a comment changed or a word list was switched. GUI thread.
#pragma once

namespace kalix {

void runSpellCheck();           // 7470
void addMarkedWordsFromMenu();  // 7471
// After a comment changed: the misspelt words are marked again.
void markMisspeltWordsAgain();
// After 7601 or 7602: the word lists are read again at the next check.
void wordListsChanged();

}  // namespace kalix
