// The resource object library needs one translation unit of its own besides the generated ones.
int rq_resources_anchor = 0;
