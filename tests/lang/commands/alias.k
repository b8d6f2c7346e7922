alias sinus sin
sinus(0)
alias 1 sin
