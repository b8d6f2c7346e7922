// list shows top-level variables, which live in the global store.
alpha=3; alphabet=4; beta=5;
list alph
