// Names have at most 30 characters; "__" inside a name stands for "_",
// while a single "_" is the operator that stacks matrices.
abcdefghijabcdefghijabcdefghij=1
abcdefghijabcdefghijabcdefghija=2
a__b=3;
a__b
a_b
a=[1,2]; b=[3,4];
a_b
km$=1000;
km$
