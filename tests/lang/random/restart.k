// The generator's state lives for the process: restart leaves it alone,
// the waiting normal deviate included.
seed(9); random(1,6)
seed(9); random(1,3)
restart
random(1,3)
seed(5); normal()
restart
normal()
