// The generator after seed: the same values on every run and machine.
seed(1)
random(1,5)
seed(1); random(1,5)
seed(-1); random(1,5)
seed(0); random(2,3)
seed(1234); normal(2,3)
seed(2); intrandom(2,3,6)
seed(2); shuffle(1:10)
// normal values come in pairs: the second waits for the next call, and a
// seed drops it
seed(5); normal(1,4)
seed(5); normal(), normal(), normal(), normal()
seed(5); normal(); seed(5); normal(1,2)
