// The argument checks of simplex, in their order.
simplex("A", 1, 1)
simplex([1, 2])
simplex([1, 2], [1, 2], [1, 1])
simplex([1, 2], 1, [1; 1])
simplex([1, 2], [1; 2], [1, 1])
simplex([1, 2], 1, [1, 1], [1; 1])
simplex([1, 2], 1, [1, 1], "e")
simplex([1, 2], 1, [1, 1], 1, [1, 1, 1])
simplex([1, 2], 1, [1, 1], 1, 1, [1, 2])
simplex([1, 2], 1, [1, 1], 1, 1, 1, 1)
// NAN anywhere in the data is refused: the exchange steps would take it for
// a value and answer with result code 0.
{x,r,c}=simplex([1,NAN;3,1],[4;6],[1,1],-1,1,1)
{x,r,c}=simplex([1,2;3,1],[4;6],[NAN,1],-1,1,1)
{x,r,c}=simplex([1,2;3,1],[NAN;6],[1,1])
{x,r,c}=simplex([1,2;3,1],[4;6],[1,1],[-1;NAN])
{x,r,c}=simplex([1,2;3,1],[4;6],[1,1],-1,[1,NAN])
{x,r,c}=simplex([1,2;3,1],[4;6],[1,1],-1,1,NAN)
{x,r,c}=simplex(NAN,4,1)
{x,r,c}=simplex([1,2;3,1],[4;6],[1,1],-1,1,1); x, r
