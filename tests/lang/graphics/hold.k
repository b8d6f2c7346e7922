// hold toggles with memory; holding reads and sets the flag
holding()
hold
holding()
hold
holding()
hold on
hold
holding()
hold off
holding()
holding(1)
holding(0)
holding("x")
scaling("x")
keepsquare("x")
twosides(0)
twosides(1)
