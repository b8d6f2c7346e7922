alpha=1; alphabet="x"; beta=[1,2];
listvar
listvar alph
listvars et
listvar zzz
listlists
listlists abc
list stopl
