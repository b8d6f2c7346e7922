1e-3
1.5e2
.25
3i
1.e5
1 000
1.2.3
1e
km$=1000;
2 km
// setting CODE_PAGE=1252
